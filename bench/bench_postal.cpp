// bench_postal DICT [QUERY ...]
// Times the postal-code search over a dictionary (KEN_ALL.CSV, or KEN_ALL.CSV.gz, which is
// unpacked into a temporary folder first) beside `LC_ALL=C grep -F` on the same file:
//   first_search_ms   the first search of the file (reading it included)
//   search_ms         the slowest median of repeated searches once read, over the default
//                     queries: a code, a prefecture and city, and a text found nowhere
//   grep_ms           the same for grep
//   plain_search_ms   one search reading the file line by line, without keeping it
// then per query its medians and `count QUERY: N`.

#include <postal/dictionary.h>
#include <postal/dictionaryfile.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void print(const QString &name, double value)
{
    std::printf("%s: %.2f\n", name.toUtf8().constData(), value);
}

// The query as the file spells it, for grep.
QByteArray inFileEncoding(const QString &text, postal::TextEncoding encoding)
{
    if (encoding == postal::TextEncoding::Utf8)
        return text.toUtf8();
    UErrorCode error = U_ZERO_ERROR;
    UConverter *cnv = ucnv_open("windows-932", &error);
    QByteArray out(text.size() * 2 + 8, '\0');
    const int n =
        ucnv_fromUChars(cnv, out.data(), int(out.size()),
                        reinterpret_cast<const UChar *>(text.utf16()), int(text.size()), &error);
    ucnv_close(cnv);
    out.resize(U_SUCCESS(error) ? n : 0);
    return out;
}

double grepMs(const QString &path, const QByteArray &pattern)
{
    QProcess grep;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    grep.setProcessEnvironment(env);
    grep.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    grep.start(QStringLiteral("grep"),
               {QStringLiteral("-F"), QStringLiteral("-c"), QString::fromLocal8Bit(pattern), path});
    grep.waitForFinished(-1);
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_postal DICT [QUERY ...]\n");
        return 2;
    }
    QString path = args[0];
    QTemporaryDir temp;
    if (path.endsWith(QLatin1String(".gz"))) {
        const QString unpacked = temp.filePath(QStringLiteral("KEN_ALL.CSV"));
        QProcess gzip;
        gzip.setStandardOutputFile(unpacked);
        gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
        if (!gzip.waitForFinished(-1) || gzip.exitCode() != 0) {
            std::fprintf(stderr, "cannot unpack %s\n", qPrintable(path));
            return 1;
        }
        path = unpacked;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const postal::TextEncoding encoding = postal::detectFormat(file, path).encoding;
    file.close();

    // The text found nowhere is made of characters the file has, so it is searched for.
    QStringList queries = {QStringLiteral("1000001"), QStringLiteral("北海道札幌市"),
                           QStringLiteral("東京都札幌市")};
    const qsizetype defaults = queries.size();
    queries += args.mid(1);

    try {
        // Warm the page cache so that the first search measures our reading, not the disk.
        grepMs(path, "warm");

        postal::PostalDictionary dictionary;
        dictionary.setSettleTime(0); // the file may have been unpacked just now
        QElapsedTimer t;
        t.start();
        dictionary.search(path, queries[0]);
        print(QStringLiteral("first_search_ms"), double(t.nsecsElapsed()) / 1e6);

        constexpr int kRepeats = 21;
        double worstSearch = 0, worstGrep = 0;
        QList<std::pair<QString, qsizetype>> counts;
        QStringList lines;
        for (qsizetype k = 0; k < queries.size(); ++k) {
            const QString &q = queries[k];
            std::vector<double> searches, greps;
            qsizetype count = 0;
            for (int i = 0; i < kRepeats; ++i) {
                t.restart();
                count = dictionary.search(path, q).entries.size();
                searches.push_back(double(t.nsecsElapsed()) / 1e6);
                greps.push_back(grepMs(path, inFileEncoding(q, encoding)));
            }
            const double s = median(searches), g = median(greps);
            if (k < defaults) {
                worstSearch = std::max(worstSearch, s);
                worstGrep = std::max(worstGrep, g);
            }
            lines << QStringLiteral("search_ms %1: %2").arg(q).arg(s, 0, 'f', 2)
                  << QStringLiteral("grep_ms %1: %2").arg(q).arg(g, 0, 'f', 2);
            counts.append({q, count});
        }
        print(QStringLiteral("search_ms"), worstSearch);
        print(QStringLiteral("grep_ms"), worstGrep);
        if (dictionary.fileReads() != 1)
            std::fprintf(stderr, "warning: the file was read %d times\n", dictionary.fileReads());

        postal::PostalDictionary plain;
        plain.setCacheLimit(0);
        t.restart();
        plain.search(path, queries[0]);
        print(QStringLiteral("plain_search_ms"), double(t.nsecsElapsed()) / 1e6);

        for (const QString &l : lines)
            std::printf("%s\n", l.toUtf8().constData());
        for (const auto &[q, n] : counts)
            std::printf("count %s: %lld\n", q.toUtf8().constData(), static_cast<long long>(n));
    } catch (const postal::DictionaryError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
