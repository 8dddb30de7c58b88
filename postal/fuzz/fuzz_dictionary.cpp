// Fuzz target: a postal-code dictionary as it comes from outside. Its lines are searched for
// texts taken from the input itself, three ways: through the kept dictionary, through the
// plain reading, and through a reference written as plainly as the rules go, which decodes
// each line on its own. The three must agree, and none may crash or hang.

#include <postal/dictionary.h>
#include <postal/dictionaryfile.h>
#include <postal/fields.h>

#include <QBuffer>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Few results, so that inputs also reach the end of a search for too many.
constexpr qsizetype kMaxResults = 40;

struct Line
{
    QString text;
    QString match;
    qint64 number;
};

QList<Line> referenceLines(const QByteArray &file)
{
    QByteArray bytes = file;
    postal::TextEncoding encoding = postal::TextEncoding::Cp932;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
        encoding = postal::TextEncoding::Utf8;
    } else if (postal::isValidUtf8(bytes)) {
        encoding = postal::TextEncoding::Utf8;
    }
    postal::TextDecoder decoder(encoding);
    QList<Line> lines;
    qint64 number = 1;
    qsizetype i = 0;
    for (;;) {
        while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) <= 0x20) {
            number += bytes[i] == '\n';
            ++i;
        }
        if (i == bytes.size())
            break;
        QByteArray line;
        while (i < bytes.size() && bytes[i] != '\n') {
            if (bytes[i] != '\r')
                line.append(bytes[i]);
            ++i;
        }
        const QString text = decoder.decode(line);
        lines.append({text, text + postal::splitFields(text).join(QString()), number});
        if (i < bytes.size()) {
            ++i;
            ++number;
        }
    }
    return lines;
}

postal::SearchOutcome referenceSearch(const QList<Line> &lines, const QString &text)
{
    postal::SearchOutcome outcome;
    if (text.isEmpty())
        return outcome;
    for (const Line &line : lines) {
        if (!line.match.contains(text))
            continue;
        postal::SplitLine split;
        split.split(line.text);
        if (split.fieldCount() < postal::kResultFields) {
            outcome.error = postal::tooFewFieldsError(line.number, split.fieldCount());
            break;
        }
        if (outcome.entries.size() >= kMaxResults) {
            outcome.error = postal::tooManyResultsError(kMaxResults);
            break;
        }
        outcome.entries.append(postal::entryOf(split));
    }
    return outcome;
}

template <typename Search> auto throughReader(const QByteArray &bytes, Search s)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const postal::DictionaryFormat format = postal::detectFormat(buffer, QStringLiteral("fuzz"));
    postal::LineReader reader(buffer, QStringLiteral("fuzz"), format.encoding);
    return s(reader);
}

void check(bool same, const char *what, const QString &text, const postal::SearchOutcome &got,
           const postal::SearchOutcome &expected)
{
    if (same)
        return;
    std::fprintf(stderr, "%s differs for \"%s\": %lld entries (%s) instead of %lld (%s)\n", what,
                 text.toUtf8().constData(), static_cast<long long>(got.entries.size()),
                 got.error.toUtf8().constData(), static_cast<long long>(expected.entries.size()),
                 expected.error.toUtf8().constData());
    std::abort();
}

bool operator==(const postal::SearchOutcome &a, const postal::SearchOutcome &b)
{
    return a.entries == b.entries && a.error == b.error;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<Line> lines = referenceLines(bytes);

    // Texts: the characters that structure a line, and pieces of the match texts the input
    // itself chooses, within a line's raw text, within its values, and across both.
    QStringList texts = {QStringLiteral(","), QStringLiteral("\""), QStringLiteral(" "),
                         QStringLiteral("0"), QStringLiteral("\uFFFD")};
    const std::size_t seed = qHashBits(data, size);
    for (std::size_t k = 0; k < 6 && !lines.isEmpty(); ++k) {
        const std::size_t h = seed * (2 * k + 1) + k * 0x9E3779B9u;
        const Line &line = lines[qsizetype(h % std::size_t(lines.size()))];
        const qsizetype length = qsizetype(1 + (h >> 8) % 8);
        qsizetype start = qsizetype((h >> 16) % std::size_t(line.match.size() + 1));
        if (k % 3 == 2) // across the end of the line into its values
            start = std::max<qsizetype>(0, line.text.size() - length / 2);
        texts.append(line.match.mid(start, length));
    }

    try {
        const auto index = throughReader(bytes, [](postal::LineReader &r) {
            return std::make_unique<postal::DictionaryIndex>(r);
        });
        for (const QString &text : texts) {
            const postal::SearchOutcome expected = referenceSearch(lines, text);
            const postal::SearchOutcome kept = index->search(text, kMaxResults);
            check(kept == expected, "the kept dictionary", text, kept, expected);
            const postal::SearchOutcome plain = throughReader(bytes, [&](postal::LineReader &r) {
                return postal::searchLines(r, text, kMaxResults);
            });
            check(plain == expected, "the plain reading", text, plain, expected);
        }
    } catch (const postal::DictionaryError &e) {
        // Reading memory never fails, and no input here is long enough for a too long line.
        std::fprintf(stderr, "unexpected error: %s\n", e.what());
        std::abort();
    }
    return 0;
}
