#include <postal/fields.h>

#include <algorithm>

namespace postal {

void SplitLine::split(QStringView line)
{
    // No value is longer than the line: the values are written straight into a buffer of
    // that size, which later lines reuse.
    m_values.resize(line.size());
    QChar *const values = m_values.data();
    QChar *out = values;
    m_ends.clear();
    m_plain = true;

    const QChar *p = line.data();
    const QChar *const end = p + line.size();
    auto skipBlanks = [&] {
        while (p < end && isBlank(*p)) {
            m_plain = false;
            ++p;
        }
    };
    auto copy = [&](const QChar *from, const QChar *to) {
        out = std::copy(from, to, out);
    };

    skipBlanks();
    while (p < end) {
        if (*p == u'"') {
            ++p;
            for (;;) {
                const QChar *q = p;
                while (q < end && *q != u'"')
                    ++q;
                copy(p, q);
                if (q == end) { // never closed: the rest of the line
                    p = end;
                    break;
                }
                p = q + 1;
                if (p < end && *p == u'"') { // a doubled quote stands for one
                    *out++ = u'"';
                    ++p;
                    continue;
                }
                break;
            }
        } else {
            const QChar *q = p;
            while (q < end && *q != u',' && !isBlank(*q))
                ++q;
            copy(p, q);
            p = q;
        }
        m_ends.append(out - values);

        skipBlanks();
        if (p < end && *p == u',') {
            ++p;
            if (p == end)
                m_ends.append(out - values); // the empty field after a final comma
            skipBlanks();
        }
    }
    m_values.resize(out - values);
}

QStringView SplitLine::field(qsizetype i) const
{
    const qsizetype begin = i == 0 ? 0 : m_ends[i - 1];
    return QStringView(m_values).sliced(begin, m_ends[i] - begin);
}

QStringList splitFields(QStringView line)
{
    SplitLine split;
    split.split(line);
    QStringList fields;
    fields.reserve(split.fieldCount());
    for (qsizetype i = 0; i < split.fieldCount(); ++i)
        fields.append(split.field(i).toString());
    return fields;
}

QString matchText(QStringView line)
{
    SplitLine split;
    split.split(line);
    QString text = line.toString();
    text.append(split.values());
    return text;
}

PostalEntry entryOf(const SplitLine &line)
{
    Q_ASSERT(line.fieldCount() >= kResultFields);
    PostalEntry entry;
    entry.zip = line.field(2).toString();
    const QStringView address[] = {line.field(6), line.field(7), line.field(8)};
    entry.address.reserve(address[0].size() + address[1].size() + address[2].size());
    for (QStringView part : address)
        entry.address.append(part);
    return entry;
}

QString callerAddress(const QString &address)
{
    constexpr qsizetype kMax = 100;
    if (address.size() <= kMax)
        return address;
    qsizetype n = kMax;
    if (address.at(n - 1).isHighSurrogate())
        --n;
    return address.left(n);
}

} // namespace postal
