#include <printing/textconv.h>

#include <gtest/gtest.h>

#include <ostream>

using namespace printing;

namespace {

struct Pair
{
    const char16_t *in;
    const char16_t *out;
};

std::ostream &operator<<(std::ostream &os, const Pair &p)
{
    return os << QString::fromUtf16(p.in).toStdString();
}

QString q(const char16_t *s)
{
    return QString::fromUtf16(s);
}

class Zenkaku : public ::testing::TestWithParam<Pair>
{
};
class Hankaku : public ::testing::TestWithParam<Pair>
{
};
class KanSuzi : public ::testing::TestWithParam<Pair>
{
};
class Tategaki : public ::testing::TestWithParam<Pair>
{
};

TEST_P(Zenkaku, Widens)
{
    EXPECT_EQ(GetZENKAKU(q(GetParam().in)), q(GetParam().out));
}
TEST_P(Hankaku, Narrows)
{
    EXPECT_EQ(GetHANKAKU(q(GetParam().in)), q(GetParam().out));
}
TEST_P(KanSuzi, MapsOneCharacter)
{
    EXPECT_EQ(Get_KanSuzi(q(GetParam().in)), q(GetParam().out));
}
TEST_P(Tategaki, PreparesVerticalText)
{
    EXPECT_EQ(Get_TategakiKansuji(q(GetParam().in)), q(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Zenkaku,
    ::testing::Values(Pair{u"", u""}, Pair{u"A", u"Ａ"}, Pair{u"|", u"｜"}, Pair{u"-", u"－"},
                      Pair{u" ", u"\u3000"}, Pair{u"!~", u"！～"}, Pair{u"az09", u"ａｚ０９"},
                      Pair{u"ｶﾞ", u"ガ"}, Pair{u"ﾎﾟ", u"ポ"}, Pair{u"ｳﾞ", u"ヴ"},
                      Pair{u"ｻﾝﾊｲﾂ", u"サンハイツ"}, Pair{u"｡｢｣､･ｦｧｯｰ", u"。「」、・ヲァッー"},
                      // Marks that join nothing stand alone as the spacing marks.
                      Pair{u"ﾞﾟｱﾞﾏﾟ", u"゛゜ア゛マ゜"},
                      Pair{u"漢字ひらがなカタカナ〇∫〒", u"漢字ひらがなカタカナ〇∫〒"},
                      Pair{u"\u3000", u"\u3000"}, Pair{u"¥", u"￥"}));

INSTANTIATE_TEST_SUITE_P(
    Table, Hankaku,
    ::testing::Values(Pair{u"", u""}, Pair{u"Ａ｜－", u"A|-"}, Pair{u"\u3000", u" "},
                      Pair{u"ガ", u"ｶﾞ"}, Pair{u"パ", u"ﾊﾟ"}, Pair{u"ヴ", u"ｳﾞ"}, Pair{u"ー", u"ｰ"},
                      Pair{u"～", u"~"}, Pair{u"３丁目１０番地", u"3丁目10番地"},
                      Pair{u"サンハイツ２０２号", u"ｻﾝﾊｲﾂ202号"}, Pair{u"ガーデン", u"ｶﾞｰﾃﾞﾝ"},
                      Pair{u"。「」、・゛゜", u"｡｢｣､･ﾞﾟ"},
                      Pair{u"漢字ひらがなヶヰ〒", u"漢字ひらがなヶヰ〒"}));

INSTANTIATE_TEST_SUITE_P(
    Table, KanSuzi,
    ::testing::Values(Pair{u"～", u"∫"}, Pair{u"~", u"∫"}, Pair{u"-", u"|"}, Pair{u"ｰ", u"|"},
                      Pair{u"ー", u"|"}, Pair{u"1", u"一"}, Pair{u"2", u"二"}, Pair{u"3", u"三"},
                      Pair{u"4", u"四"}, Pair{u"5", u"五"}, Pair{u"6", u"六"}, Pair{u"7", u"七"},
                      Pair{u"8", u"八"}, Pair{u"9", u"九"}, Pair{u"0", u"〇"}, Pair{u"１", u"一"},
                      Pair{u"２", u"二"}, Pair{u"３", u"三"}, Pair{u"４", u"四"},
                      Pair{u"５", u"五"}, Pair{u"６", u"六"}, Pair{u"７", u"七"},
                      Pair{u"８", u"八"}, Pair{u"９", u"九"}, Pair{u"０", u"〇"}, Pair{u"A", u"A"},
                      Pair{u"12", u"12"}, Pair{u"", u""},
                      // What Linux input methods give for ～, － and ー.
                      Pair{u"〜", u"∫"}, Pair{u"−", u"|"}, Pair{u"‐", u"|"}, Pair{u"‑", u"|"},
                      Pair{u"‒", u"|"}, Pair{u"–", u"|"}, Pair{u"—", u"|"}, Pair{u"―", u"|"}));

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, Tategaki,
    ::testing::Values(Pair{u"1-23", u"一｜二三"}, Pair{u"３丁目１０番地", u"三丁目一〇番地"},
                      Pair{u"サンハイツ２０２号", u"サンハイツ二〇二号"},
                      Pair{u"A棟 5F", u"Ａ棟\u3000五Ｆ"}, Pair{u"10~12", u"一〇∫一二"},
                      Pair{u"ヨーク", u"ヨ｜ク"}, Pair{u"ガーデン", u"ガ｜デン"},
                      Pair{u"2014", u"二〇一四"}, Pair{u"101", u"一〇一"},
                      Pair{u"0000", u"〇〇〇〇"}, Pair{u"", u""},
                      Pair{u"〒 丁目\u3000", u"〒\u3000丁目\u3000"},
                      Pair{u"1〜2−3―4", u"一∫二｜三｜四"}, Pair{u"𠮷野家", u"𠮷野家"}));

TEST(SplitCells, OneCellPerCharacterWithItsMarks)
{
    struct Case
    {
        const char16_t *text;
        QStringList cells;
    };
    const Case cases[] = {
        {u"", {}},
        {u"山田", {u"山"_qs, u"田"_qs}},
        {u"𠮷𩸽", {u"𠮷"_qs, u"𩸽"_qs}},
        {u"葛\U000E0100城", {u"葛\U000E0100"_qs, u"城"_qs}}, // ideographic variation sequence
        {u"辻\uFE00", {u"辻\uFE00"_qs}},
        {u"か\u3099き", {u"か\u3099"_qs, u"き"_qs}}, // combining voiced mark
        {u"e\u0301\u0323x", {u"e\u0301\u0323"_qs, u"x"_qs}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(splitCells(q(c.text)), c.cells) << q(c.text).toStdString();
}

} // namespace
