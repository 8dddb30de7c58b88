#include <report/fonts.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <gtest/gtest.h>

#include <ostream>

namespace {

struct FaceCase
{
    const char *face;
    const char *family;
};

void PrintTo(const FaceCase &c, std::ostream *os)
{
    *os << c.face;
}

class FontMapping : public ::testing::TestWithParam<FaceCase>
{
};

TEST_P(FontMapping, WindowsFacesResolveToInstalledFonts)
{
    const FaceCase c = GetParam();
    report::CanvasFont cf;
    cf.face = QString::fromUtf8(c.face);
    const QFont f = report::qtFontFor(cf, QSize(96, 96));
    EXPECT_EQ(QFontInfo(f).family(), QString::fromUtf8(c.family));

    // Any QFont naming the Windows face finds the same font once the substitutions are in.
    report::installFontSubstitutions();
    QFont plain(QString::fromUtf8(c.face));
    plain.setPixelSize(16);
    EXPECT_EQ(QFontInfo(plain).family(), QString::fromUtf8(c.family));
}

INSTANTIATE_TEST_SUITE_P(Faces, FontMapping,
                         ::testing::Values(FaceCase{"ＭＳ 明朝", "IPAMincho"},
                                           FaceCase{"ＭＳ Ｐ明朝", "IPAPMincho"},
                                           FaceCase{"ＭＳ ゴシック", "IPAGothic"},
                                           FaceCase{"ＭＳ Ｐゴシック", "IPAPGothic"},
                                           FaceCase{"Tahoma", "DejaVu Sans"}));

TEST(FontSize, PointSizeAndGdiHeightGiveThePixelSize)
{
    report::CanvasFont cf;
    cf.pointSize = 9;
    EXPECT_EQ(report::qtFontFor(cf, QSize(96, 96)).pixelSize(), 12);
    EXPECT_EQ(report::qtFontFor(cf, QSize(600, 600)).pixelSize(), 75);
    cf.height = -20;
    EXPECT_EQ(report::qtFontFor(cf, QSize(96, 96)).pixelSize(), 20);
}

} // namespace

TEST(FontMapping, FacesThatAreNotInstalledFallBackToJapaneseFonts)
{
    report::CanvasFont cf;
    cf.face = QStringLiteral("HG行書体");
    const QString brush = QStringLiteral("AoyagiKouzanFontT");
    const QString expected = QFontDatabase::hasFamily(brush) ? brush : QStringLiteral("IPAMincho");
    EXPECT_EQ(QFontInfo(report::qtFontFor(cf, QSize(96, 96))).family(), expected);

    cf.face = QStringLiteral("No Such Font");
    EXPECT_EQ(QFontInfo(report::qtFontFor(cf, QSize(96, 96))).family(),
              QStringLiteral("IPAPGothic"));
}
