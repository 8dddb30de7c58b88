#include "dictfixture.h"

#include <postal/dictionaryfile.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

namespace postaltest {

QString dataFile(const char *name)
{
    return QStringLiteral(POSTAL_TEST_DATA "/") + QString::fromLatin1(name);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void setModified(const QString &path, const QDateTime &time)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
}

QByteArray toCp932(const QString &text)
{
    UErrorCode error = U_ZERO_ERROR;
    UConverter *cnv = ucnv_open("windows-932", &error);
    QByteArray out(text.size() * 2 + 8, '\0');
    const int n =
        ucnv_fromUChars(cnv, out.data(), int(out.size()),
                        reinterpret_cast<const UChar *>(text.utf16()), int(text.size()), &error);
    ucnv_close(cnv);
    EXPECT_TRUE(U_SUCCESS(error)) << u_errorName(error);
    out.resize(n);
    return out;
}

QString kenAllLine(const QString &zip, const QString &prefecture, const QString &city,
                   const QString &town)
{
    return QStringLiteral(
               "13101,\"%1\",\"%2\",\"ｶﾅ\",\"ｶﾅ\",\"ｶﾅ\",\"%3\",\"%4\",\"%5\",0,0,0,0,0,0")
        .arg(zip.left(3), zip, prefecture, city, town);
}

QString unpackFullDictionary(const QString &folder)
{
    QString packed = qEnvironmentVariable("ZD_KEN_ALL", QStringLiteral(ZD_KEN_ALL_GZ));
    if (packed.isEmpty() || !QFile::exists(packed))
        return {};
    const QString target = QDir(folder).filePath(QStringLiteral("KEN_ALL.CSV"));
    QProcess gzip;
    gzip.setStandardOutputFile(target);
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), packed});
    if (!gzip.waitForFinished(60000) || gzip.exitCode() != 0)
        return {};
    return target;
}

QList<ReferenceLine> referenceLines(const QByteArray &file)
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
    QList<ReferenceLine> lines;
    qint64 number = 1;
    qsizetype i = 0;
    for (;;) {
        while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) <= 0x20) {
            if (bytes[i] == '\n')
                ++number;
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

postal::SearchOutcome referenceSearch(const QList<ReferenceLine> &lines, const QString &text,
                                      qsizetype maxResults)
{
    postal::SearchOutcome outcome;
    if (text.isEmpty())
        return outcome;
    for (const ReferenceLine &line : lines) {
        if (!line.match.contains(text))
            continue;
        postal::SplitLine split;
        split.split(line.text);
        if (split.fieldCount() < postal::kResultFields) {
            outcome.error = postal::tooFewFieldsError(line.number, split.fieldCount());
            break;
        }
        if (outcome.entries.size() >= maxResults) {
            outcome.error = postal::tooManyResultsError(maxResults);
            break;
        }
        outcome.entries.append(postal::entryOf(split));
    }
    return outcome;
}

} // namespace postaltest
