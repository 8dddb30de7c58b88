// Printing timings: the vertical-writing conversion of an address line, laying out an
// envelope and a KOKUYO slip at 600 dpi, and printing each into a PDF file.
#include <printing/envelope.h>
#include <printing/kokuyo.h>
#include <printing/textconv.h>
#include <report/pdfprinter.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

template <class F> double medianMs(int runs, F &&f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

printing::SlipTexts slip()
{
    printing::SlipTexts s;
    s.ymd = QStringLiteral("2024/03/05");
    s.name = QStringLiteral("株式会社ゾリカ商事");
    s.zip = QStringLiteral("150-0001");
    s.addr1 = QStringLiteral("東京都渋谷区神宮前");
    s.addr2 = QStringLiteral("3丁目10番地 サンハイツ202号");
    for (auto &l : s.lines)
        l = {QStringLiteral("コピー用紙 A4"), QStringLiteral("5"), QStringLiteral("450"),
             QStringLiteral("2,250"), QStringLiteral("至急")};
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString line = QStringLiteral("東京都渋谷区神宮前３丁目１０番地 サンハイツ２０２号");
    volatile qsizetype sink = 0;
    std::printf("tategaki_1000_lines_ms: %.3f\n", medianMs(15, [&] {
                    for (int i = 0; i < 1000; ++i)
                        sink = sink + printing::Get_TategakiKansuji(line).size();
                }));
    const printing::SlipTexts s = slip();
    std::printf("envelope_layout_ms: %.3f\n", medianMs(51, [&] {
                    sink = sink + printing::Envelope(s, {}).layout({600, 600}, {2126, 4843}).size();
                }));
    std::printf("kokuyo_layout_ms: %.3f\n", medianMs(51, [&] {
                    sink = sink + printing::KokuyoSlip(s, {}).layout({600, 600}, {0, 0}).size();
                }));
    QTemporaryDir dir;
    report::PdfPrinter pdf;
    pdf.setOutputFile(dir.filePath(QStringLiteral("b.pdf")));
    std::printf("kokuyo_pdf_ms: %.3f\n",
                medianMs(9, [&] { printing::KokuyoSlip(s, {}).print(pdf, nullptr); }));
    std::printf("envelope_pdf_ms: %.3f\n",
                medianMs(9, [&] { printing::Envelope(s, {}).print(pdf, nullptr); }));
    return 0;
}
