#pragma once

#include <QString>

#include <array>

namespace printing {

/// One item line of a slip as the grid shows it.
struct SlipLine
{
    QString hinmei;  ///< 品名
    QString suryo;   ///< 数量
    QString tanka;   ///< 単価
    QString kingaku; ///< 金額
    QString tekiyo;  ///< 摘要
};

/// What the slip form shows at the moment of printing, as plain texts: the printing code
/// reads nothing else of the form. The date and postal code are the fixed-width texts of their
/// masked boxes ("    /  /  " and "   -    " when blank).
struct SlipTexts
{
    QString kind; ///< the document kind ("御 納 品 書", or whatever was typed)
    QString ymd;
    QString name;
    QString zip;
    QString addr1;
    QString addr2;
    QString tel;
    std::array<SlipLine, 7> lines;
    QString gokei;
    QString tax;
    QString total;
};

/// The shop that issues the slip, from the settings as read at start: its name, postal code,
/// address, telephone and fax, a second address with its telephone, and two bank-account
/// lines (bank and branch, account type, number, as the shop writes them).
struct Issuer
{
    QString name;
    QString zip;
    QString addr;
    QString tel;
    QString fax;
    QString addr2;
    QString tel2;
    QString bank1;
    QString bank2;
};

} // namespace printing
