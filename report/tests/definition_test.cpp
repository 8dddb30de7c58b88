#include <report/definition.h>
#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwreport.h>
#include <report/pwshape.h>
#include <testsupport/tempdir.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <ostream>

#include <functional>

using namespace report;

namespace {

QByteArray sampleText()
{
    QFile f(QStringLiteral(REPORT_TEST_DATA "/sample.json"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QJsonObject sampleObject()
{
    return QJsonDocument::fromJson(sampleText()).object();
}

QByteArray toText(const QJsonObject &o)
{
    return QJsonDocument(o).toJson();
}

TEST(Definition, SampleBuildsTheReport)
{
    int calls = 0;
    DefinitionHandlers handlers;
    handlers.labelPrint.insert(QStringLiteral("YMDPrint"),
                               [&calls](TPWLabel &, QString &) { ++calls; });
    const auto report =
        loadDefinitionFile(QStringLiteral(REPORT_TEST_DATA "/sample.json"), handlers);

    EXPECT_EQ(report->Name(), QStringLiteral("SampleReport"));
    EXPECT_EQ(report->Units(), TPWUnit::MM);
    EXPECT_EQ(report->Page().PaperSize(), TPWPaperSize::Custom);
    EXPECT_DOUBLE_EQ(report->Page().Width(), 210);
    EXPECT_DOUBLE_EQ(report->Page().Length(), 148);
    EXPECT_EQ(report->Width(), 794);
    EXPECT_EQ(report->Height(), 559);
    EXPECT_EQ(report->PreviewInitialState, TWindowState::wsMaximized);
    EXPECT_EQ(report->Font().face, QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_DOUBLE_EQ(report->Font().pointSize, 9);

    ASSERT_EQ(report->bands().size(), 3u);
    EXPECT_EQ(report->bands()[0]->BandType(), TPWBandType::rbTitle);
    EXPECT_EQ(report->bands()[2]->Name(), QStringLiteral("PageFooterBand1"));
    EXPECT_NEAR(report->bands()[1]->Size().nativeValue(TPWBandSize::HeightIndex), 560.9166666666667,
                1e-12);

    // Controls stand in definition order.
    QStringList names;
    for (const auto &c : report->bands()[0]->controls())
        names.append(c->Name());
    EXPECT_EQ(names, QStringList({"TKNAME", "TAITOL", "YMD", "PWShape1"}));

    auto *name = report->control<TPWLabel>(QStringLiteral("TKNAME"));
    ASSERT_TRUE(name);
    EXPECT_TRUE(name->Frame.DrawBottom);
    EXPECT_EQ(name->Frame.Style, CanvasPen::Dot);
    EXPECT_EQ(name->Font().face, QStringLiteral("ＭＳ 明朝"));
    EXPECT_DOUBLE_EQ(name->Font().pointSize, 12);
    EXPECT_EQ(name->Font().charset, 128);
    EXPECT_EQ(name->lines(), QStringList({QStringLiteral("TKNAME")}));

    auto *ymd = report->control<TPWLabel>(QStringLiteral("YMD"));
    ASSERT_TRUE(ymd);
    EXPECT_EQ(ymd->Font().face, QStringLiteral("ＭＳ Ｐゴシック")); // inherited
    EXPECT_DOUBLE_EQ(ymd->Font().pointSize, 9);
    EXPECT_EQ(ymd->Alignment(), TAlignment::taCenter);
    EXPECT_FALSE(ymd->AutoSize());
    EXPECT_EQ(ymd->OnPrintName, QStringLiteral("YMDPrint"));
    ASSERT_TRUE(ymd->OnPrint);
    QString v;
    ymd->OnPrint(*ymd, v);
    EXPECT_EQ(calls, 1);

    auto *rule = report->control<TPWShape>(QStringLiteral("PWShape1"));
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->Shape, TPWShapeType::pwsHorLine);
    EXPECT_EQ(rule->bounds(), QRect(0, 164, 718, 1));

    auto *amount = report->control<TPWLabel>(QStringLiteral("PWLabel33"));
    ASSERT_TRUE(amount);
    EXPECT_EQ(amount->Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(amount->Left(), 545);
    EXPECT_EQ(amount->Width(), 70);
}

TEST(Definition, SavedTextLoadsBackToTheSameReport)
{
    const auto first = loadDefinition(sampleText());
    first->control<TPWLabel>(QStringLiteral("HINMEI1"))
        ->setCaption(QStringLiteral("ボールペン 黒"));
    first->Options.Compression = true;
    first->PrinterSettings().Copies = 3;
    first->bands()[1]->Frame.DrawTop = true;
    const QByteArray saved = saveDefinition(*first);
    const auto second = loadDefinition(saved);
    EXPECT_EQ(saveDefinition(*second), saved);

    EXPECT_TRUE(second->Options.Compression);
    EXPECT_EQ(second->PrinterSettings(), first->PrinterSettings());
    EXPECT_EQ(second->bands()[1]->Frame, first->bands()[1]->Frame);
    const auto a = first->allPrintables();
    const auto b = second->allPrintables();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i]->Name(), b[i]->Name());
        EXPECT_EQ(a[i]->bounds(), b[i]->bounds()) << a[i]->Name().toStdString();
        EXPECT_EQ(a[i]->Size().WriteValues(), b[i]->Size().WriteValues());
        if (auto *la = dynamic_cast<TPWLabel *>(a[i])) {
            auto *lb = dynamic_cast<TPWLabel *>(b[i]);
            ASSERT_TRUE(lb);
            EXPECT_EQ(la->Caption(), lb->Caption());
            EXPECT_EQ(la->Font(), lb->Font());
            EXPECT_EQ(la->lines(), lb->lines());
        }
    }
}

TEST(Definition, StoredPixelBoundsStandInForZeroValues)
{
    QJsonObject o = sampleObject();
    QJsonArray bands = o[QStringLiteral("Bands")].toArray();
    QJsonObject band = bands[1].toObject();
    QJsonArray controls = band[QStringLiteral("Controls")].toArray();
    QJsonObject label = controls[0].toObject();
    // Width 0 in the values; the stored pixel width (400) wins and reaches the values.
    label[QStringLiteral("Size")] =
        QJsonObject{{QStringLiteral("Values"),
                     QJsonArray{44.97916666666666, 34.39583333333334, 21.16666666666667, 0.0}}};
    controls[0] = label;
    band[QStringLiteral("Controls")] = controls;
    bands[1] = band;
    o[QStringLiteral("Bands")] = bands;
    const auto report = loadDefinition(toText(o));
    auto *l = report->control<TPWLabel>(QStringLiteral("HINMEI1"));
    EXPECT_EQ(l->Width(), 400);
    EXPECT_NEAR(l->Size().nativeValue(TPWPrintableSize::WidthIndex), 400 * 254.0 / 96, 1e-9);
    // Derived bounds that are not 0 win over the stored ones.
    EXPECT_EQ(l->Left(), 13);
}

struct BrokenCase
{
    const char *what;
    std::function<void(QJsonObject &)> edit;
    const char *message;
};

void PrintTo(const BrokenCase &c, std::ostream *os)
{
    *os << c.what;
}

// Applies `f` to the first control of the first band.
std::function<void(QJsonObject &)> onFirstControl(std::function<void(QJsonObject &)> f)
{
    return [f](QJsonObject &o) {
        QJsonArray bands = o[QStringLiteral("Bands")].toArray();
        QJsonObject band = bands[0].toObject();
        QJsonArray controls = band[QStringLiteral("Controls")].toArray();
        QJsonObject c = controls[0].toObject();
        f(c);
        controls[0] = c;
        band[QStringLiteral("Controls")] = controls;
        bands[0] = band;
        o[QStringLiteral("Bands")] = bands;
    };
}

class BrokenDefinition : public ::testing::TestWithParam<BrokenCase>
{
};

TEST_P(BrokenDefinition, IsRefusedWithAClearText)
{
    const BrokenCase c = GetParam();
    QJsonObject o = sampleObject();
    c.edit(o);
    try {
        loadDefinition(toText(o));
        FAIL() << c.what << ": loaded";
    } catch (const DefinitionError &e) {
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << e.what();
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Report definition"))) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenDefinition,
    ::testing::Values(
        BrokenCase{"format", [](QJsonObject &o) { o.remove(QStringLiteral("Format")); }, "Format"},
        BrokenCase{"version", [](QJsonObject &o) { o[QStringLiteral("Version")] = 2; },
                   "version 2"},
        BrokenCase{"page values",
                   [](QJsonObject &o) {
                       QJsonObject p = o[QStringLiteral("Page")].toObject();
                       p[QStringLiteral("Values")] = QJsonArray{1, 2, 3};
                       o[QStringLiteral("Page")] = p;
                   },
                   "Page.Values: expected 7 numbers, got 3"},
        BrokenCase{"text in values", onFirstControl([](QJsonObject &c) {
                       c[QStringLiteral("Size")] =
                           QJsonObject{{QStringLiteral("Values"), QJsonArray{1, "x", 3, 4}}};
                   }),
                   "Bands[0].Controls[0].Size.Values: expected numbers only"},
        BrokenCase{"misspelt property",
                   onFirstControl([](QJsonObject &c) { c[QStringLiteral("Captoin")] = "x"; }),
                   "Bands[0].Controls[0].Captoin: unknown property"},
        BrokenCase{"unknown class",
                   onFirstControl([](QJsonObject &c) { c[QStringLiteral("Class")] = "TPWImage"; }),
                   "unknown control class \"TPWImage\""},
        BrokenCase{"unknown enumeration",
                   onFirstControl([](QJsonObject &c) { c[QStringLiteral("Alignment")] = "left"; }),
                   "Alignment: unknown value \"left\""},
        BrokenCase{"colour",
                   onFirstControl([](QJsonObject &c) { c[QStringLiteral("Color")] = "white"; }),
                   "#RRGGBB"},
        BrokenCase{"fraction",
                   onFirstControl([](QJsonObject &c) { c[QStringLiteral("FontSize")] = 9.5; }),
                   "FontSize: expected a whole number"},
        BrokenCase{"duplicate name",
                   onFirstControl([](QJsonObject &c) { c[QStringLiteral("Name")] = "YMD"; }),
                   "the name \"YMD\" is used twice"},
        BrokenCase{"band type",
                   [](QJsonObject &o) {
                       QJsonArray bands = o[QStringLiteral("Bands")].toArray();
                       QJsonObject b = bands[0].toObject();
                       b.remove(QStringLiteral("BandType"));
                       bands[0] = b;
                       o[QStringLiteral("Bands")] = bands;
                   },
                   "Bands[0].BandType: missing"},
        BrokenCase{"bands not a list", [](QJsonObject &o) { o[QStringLiteral("Bands")] = 3; },
                   "Bands: expected a list"},
        BrokenCase{"columns",
                   [](QJsonObject &o) {
                       QJsonObject p = o[QStringLiteral("Page")].toObject();
                       p[QStringLiteral("Columns")] = 0;
                       o[QStringLiteral("Page")] = p;
                   },
                   "Page.Columns"}));

TEST(Definition, DamagedTextNeverCrashes)
{
    const QByteArray text = sampleText();
    for (qsizetype cut = 0; cut < text.size(); cut += 37) {
        EXPECT_THROW(loadDefinition(text.left(cut)), DefinitionError) << cut;
    }
    EXPECT_THROW(loadDefinition("[1, 2]"), DefinitionError);
    EXPECT_THROW(loadDefinition(QByteArray("\0\0\0", 3)), DefinitionError);
    QByteArray flipped = text;
    for (qsizetype i = 0; i < flipped.size(); i += 101) {
        flipped[i] = char(flipped[i] ^ 0x20);
        try {
            loadDefinition(flipped);
        } catch (const DefinitionError &) {
        }
    }
}

TEST(Definition, MissingFileIsAnError)
{
    testsupport::TempDir dir;
    try {
        loadDefinitionFile(dir.path() + QStringLiteral("/none.json"));
        FAIL();
    } catch (const DefinitionError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("none.json")));
    }
}

} // namespace
