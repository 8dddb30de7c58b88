#pragma once

#include <printing/sliptexts.h>

#include <optional>

class QWidget;

namespace store {
class TDMIB;
}

namespace slips {

/// The shop's issuer lines from the data module's settings (empty without one).
printing::Issuer issuerFromSettings(const store::TDMIB *dm);

/// ｺｸﾖ-ｳ334: the slip onto the preprinted form through the application's printer.
bool printKokuyo(QWidget *owner, const printing::SlipTexts &slip);
/// 封筒: the customer's envelope through the application's printer.
bool printEnvelope(QWidget *owner, const QString &caption, const printing::SlipTexts &slip);

/// The texts of stored slip ANO exactly as GetDenpyo shows them in a slip form (one is made
/// for it and never shown); none when there is no such slip. Store errors go on.
std::optional<printing::SlipTexts> loadStoredSlip(int ANO);

} // namespace slips
