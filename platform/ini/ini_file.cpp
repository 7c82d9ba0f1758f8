#include "platform/ini/ini_file.h"

#include "platform/diag/diag.h"
#include "platform/paths/file_io.h"

#include <QFile>
#include <QStringDecoder>

#include <cstdint>
#include <limits>

namespace vyk::platform {

namespace {

QString decode(const QByteArray& raw) {
    if (raw.startsWith("\xFF\xFE")) {
        QStringDecoder d(QStringDecoder::Utf16LE);
        return d.decode(raw.mid(2));
    }
    if (raw.startsWith("\xFE\xFF")) {
        QStringDecoder d(QStringDecoder::Utf16BE);
        return d.decode(raw.mid(2));
    }
    QByteArray body = raw.startsWith("\xEF\xBB\xBF") ? raw.mid(3) : raw;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (utf8.hasError()) return QString::fromLatin1(body);
    return text;
}

QString unquote(const QString& v) {
    if (v.size() >= 2) {
        const QChar a = v.front();
        const QChar b = v.back();
        if ((a == QLatin1Char('"') || a == QLatin1Char('\'')) && a == b) return v.mid(1, v.size() - 2);
    }
    return v;
}

}  // namespace

IniFile::IniFile(const QString& path) : path_(path) {
    // A settings file is small; a pipe, device or huge file in its place is not read (it would
    // block or exhaust memory) and counts as a file that cannot be read.
    QByteArray raw;
    try {
        vyk::platform::FileReadLimits limits;
        limits.maxBytes = vyk::platform::kMaxSettingsFileBytes;
        raw = vyk::platform::readWholeFile(path, limits);
    } catch (const std::exception& e) {
        if (QFile::exists(path)) vyk::platform::debugLog(QStringLiteral("ini: ") + QString::fromUtf8(e.what()));
        return;
    }
    loaded_ = true;
    parse(decode(raw));
}

void IniFile::parse(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Section* current = nullptr;
    const QStringList lines = t.split(QLatin1Char('\n'));
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed();
            sections_.append(Section{name, {}});
            current = &sections_.last();
            continue;
        }
        if (current == nullptr) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        if (key.isEmpty()) continue;
        current->entries.append(Entry{key, unquote(line.mid(eq + 1).trimmed())});
    }
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    const QString n = name.trimmed();
    for (const Section& s : sections_) {
        if (s.name.compare(n, Qt::CaseInsensitive) == 0) return &s;
    }
    return nullptr;
}

const IniFile::Entry* IniFile::findEntry(const QString& section, const QString& key) const {
    const Section* s = findSection(section);
    if (s == nullptr) return nullptr;
    const QString k = key.trimmed();
    for (const Entry& e : s->entries) {
        if (e.key.compare(k, Qt::CaseInsensitive) == 0) return &e;
    }
    return nullptr;
}

bool IniFile::sectionExists(const QString& section) const { return findSection(section) != nullptr; }

bool IniFile::keyExists(const QString& section, const QString& key) const { return findEntry(section, key) != nullptr; }

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const Entry* e = findEntry(section, key);
    return e == nullptr ? def : e->value;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    const Entry* e = findEntry(section, key);
    if (e == nullptr) return def;
    int v = 0;
    return parseInteger(e->value, &v) ? v : def;
}

bool IniFile::parseInteger(const QString& text, int* out) {
    const QString s = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == QLatin1Char('0') &&
               (s[i + 1] == QLatin1Char('x') || s[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    std::uint64_t value = 0;
    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : static_cast<std::uint64_t>(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    for (; i < s.size(); ++i) {
        const int d = s[i].isDigit() && s[i].unicode() < 128 ? s[i].unicode() - '0'
                      : base == 16 && s[i].toLower() >= QLatin1Char('a') && s[i].toLower() <= QLatin1Char('f')
                          ? s[i].toLower().unicode() - 'a' + 10
                          : -1;
        if (d < 0 || d >= base) return false;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > limit) return false;
    }
    std::int64_t signedValue;
    if (base == 16) {
        signedValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else {
        signedValue = static_cast<std::int64_t>(value);
    }
    if (negative) signedValue = -signedValue;
    if (signedValue < std::numeric_limits<int>::min() || signedValue > std::numeric_limits<int>::max()) return false;
    *out = static_cast<int>(signedValue);
    return true;
}

QStringList IniFile::sectionKeys(const QString& section) const {
    QStringList keys;
    const Section* s = findSection(section);
    if (s == nullptr) return keys;
    for (const Entry& e : s->entries) {
        if (!keys.contains(e.key, Qt::CaseInsensitive)) keys.append(e.key);
    }
    return keys;
}

}  // namespace vyk::platform
