#include "core/language/vgLang.h"

#include "platform/paths/file_io.h"

#include <QFileInfo>
#include <QLocale>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

static_assert(QSysInfo::ByteOrder == QSysInfo::LittleEndian, "the language file is read in place");

LanguageFileError::LanguageFileError(const QString& message) : std::runtime_error(message.toStdString()) {}

// ---------------------------------------------------------------------------------------------
// TTextList

TTextList::TTextList() : collator_(QLocale()) {
    collator_.setCaseSensitivity(Qt::CaseSensitive);
    collator_.setNumericMode(false);
    collator_.setIgnorePunctuation(false);
}

int TTextList::compare(const QString& a, const QString& b) const {
    const int c = collator_.compare(a, b);
    if (c != 0) return c;
    // The collation may rank distinct texts equal; their code units decide.
    return QStringView(a).compare(QStringView(b), Qt::CaseSensitive);
}

int TTextList::lowerBound(const QString& line) const {
    int lo = 0;
    int hi = Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (compare(lines_[mid], line) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool TTextList::Add(const QString& line) {
    const int pos = lowerBound(line);
    if (pos < Count() && lines_[pos] == line) return false;
    lines_.insert(pos, line);
    return true;
}

int TTextList::IndexOf(const QString& line) const {
    const int pos = lowerBound(line);
    return (pos < Count() && lines_[pos] == line) ? pos : -1;
}

void TTextList::Delete(int index) {
    if (index >= 0 && index < Count()) lines_.removeAt(index);
}

QString TTextList::Text() const {
    QString out;
    for (const QString& l : lines_) {
        out += l;
        out += QStringLiteral("\r\n");
    }
    return out;
}

void TTextList::SetText(QStringView text) {
    lines_.clear();
    for (const QString& l : SplitTextBlock(text)) Add(l);
}

QString TTextList::ValueOf(const QString& source, bool* found) const {
    const qsizetype n = source.size();
    // A line splits at its first "=", so a source text holding "=" is never found.
    if (found) *found = false;
    if (source.contains(QLatin1Char('='))) return {};
    for (const QString& l : lines_) {
        if (l.size() > n && l.at(n) == QLatin1Char('=') && QStringView(l).left(n) == source) {
            if (found) *found = true;
            return l.mid(n + 1);
        }
    }
    if (found) *found = false;
    return {};
}

void TTextList::SetValue(const QString& source, const QString& value) {
    const qsizetype n = source.size();
    for (int i = Count() - 1; i >= 0; --i) {
        const QString& l = lines_[i];
        if (l.size() > n && l.at(n) == QLatin1Char('=') && QStringView(l).left(n) == source) lines_.removeAt(i);
    }
    if (!value.isEmpty()) Add(source + QLatin1Char('=') + value);
}

QStringList SplitTextBlock(QStringView text) {
    QStringList out;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == 0) break;
        if (c == u'\r' || c == u'\n' || c == 0x0B || c == 0x0C || c == 0x2028 || c == 0x2029) {
            out.append(text.mid(start, i - start).toString());
            if (c == u'\r' && i + 1 < n && text[i + 1].unicode() == u'\n') ++i;
            start = i + 1;
        }
    }
    if (i > start) out.append(text.mid(start, i - start).toString());
    return out;
}

// ---------------------------------------------------------------------------------------------
// The language file

namespace {

// Files larger than this are refused before anything is read; the shipped file is a few
// dozen kilobytes.
constexpr qint64 kMaxLanguageFileBytes = 64 * 1024 * 1024;

class FileReader {
public:
    FileReader(const QByteArray& bytes, const QString& name) : bytes_(bytes), name_(name) {}

    std::int32_t readInt(const char* what) {
        if (remaining() < 4) fail(QStringLiteral("the file ends inside the %1").arg(QLatin1String(what)));
        std::int32_t v;
        std::memcpy(&v, bytes_.constData() + pos_, 4);
        pos_ += 4;
        return v;
    }

    QString readText(std::int32_t units, const char* what) {
        if (units < 0) fail(QStringLiteral("the %1 has a negative length (%2)").arg(QLatin1String(what)).arg(units));
        const qint64 byteCount = static_cast<qint64>(units) * 2;
        if (byteCount > remaining())
            fail(QStringLiteral("the %1 claims %2 characters, but only %3 bytes are left")
                     .arg(QLatin1String(what))
                     .arg(units)
                     .arg(remaining()));
        QString s(static_cast<qsizetype>(units), Qt::Uninitialized);
        std::memcpy(s.data(), bytes_.constData() + pos_, static_cast<size_t>(byteCount));
        pos_ += byteCount;
        return s;
    }

    qint64 remaining() const { return bytes_.size() - pos_; }

    [[noreturn]] void fail(const QString& why) const {
        throw LanguageFileError(QStringLiteral("The language file %1 is damaged: %2 (at byte %3).")
                                    .arg(name_.isEmpty() ? QStringLiteral("data") : name_, why)
                                    .arg(pos_));
    }

private:
    const QByteArray& bytes_;
    QString name_;
    qint64 pos_ = 0;
};

void appendInt(QByteArray& out, qsizetype v) {
    if (v > std::numeric_limits<std::int32_t>::max())
        throw LanguageFileError(QStringLiteral("A text block of the language file is too long."));
    const std::int32_t i = static_cast<std::int32_t>(v);
    out.append(reinterpret_cast<const char*>(&i), 4);
}

void appendBlock(QByteArray& out, const QString& text) {
    appendInt(out, text.size());
    out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TvgLang

TvgLang::TvgLang(QObject* owner) : QObject(owner) {}

TvgLang::~TvgLang() = default;

int TvgLang::IndexOfResource(const QString& name) const {
    for (size_t i = 0; i < Resources_.size(); ++i)
        if (Resources_[i].Name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}

void TvgLang::AddLang(const QString& name) {
    if (IndexOfResource(name) >= 0) return;
    Resources_.push_back(TLangResource{name, TTextList()});
}

void TvgLang::LoadFromFile(const QString& fileName) {
    if (std::optional<TLanguageFile> file = ReadLanguageFile(fileName)) TakeLanguageFile(std::move(*file));
}

void TvgLang::LoadFromBytes(const QByteArray& bytes, const QString& sourceName) {
    TakeLanguageFile(ParseLanguageFile(bytes, sourceName));
}

std::optional<TLanguageFile> TvgLang::ReadLanguageFile(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists()) return std::nullopt;
    if (info.size() > kMaxLanguageFileBytes)
        throw LanguageFileError(
            QStringLiteral("The language file %1 is too large (%2 bytes).").arg(fileName).arg(info.size()));
    QByteArray bytes;
    try {
        vyk::platform::FileReadLimits limits;
        limits.maxBytes = static_cast<std::size_t>(kMaxLanguageFileBytes);
        bytes = vyk::platform::readWholeFile(fileName, limits);
    } catch (const std::exception& e) {
        throw LanguageFileError(QString::fromUtf8(e.what()));
    }
    return ParseLanguageFile(bytes, fileName);
}

TLanguageFile TvgLang::ParseLanguageFile(const QByteArray& bytes, const QString& sourceName) {
    FileReader r(bytes, sourceName);
    TLanguageFile file;
    file.Original.SetText(r.readText(r.readInt("length of the source texts"), "source texts"));
    const std::int32_t count = r.readInt("language count");
    // Every language record takes at least its two lengths.
    if (count < 0 || count > r.remaining() / 8)
        r.fail(QStringLiteral("the language count %1 does not fit the %2 bytes left").arg(count).arg(r.remaining()));
    file.Languages.reserve(static_cast<size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        TLangResource res;
        // A name is taken as it stands (any text), so that it is written back unchanged.
        res.Name = r.readText(r.readInt("length of a language name"), "language name");
        res.Table.SetText(r.readText(r.readInt("length of a translation table"), "translation table"));
        file.Languages.push_back(std::move(res));
    }
    return file;
}

void TvgLang::TakeLanguageFile(TLanguageFile&& file) {
    // The whole file was read and checked first, so a damaged file changes nothing.
    Original_ = std::move(file.Original);
    for (auto& l : file.Languages) Resources_.push_back(std::move(l));
}

QByteArray TvgLang::SaveToBytes() const {
    QByteArray out;
    appendBlock(out, Original_.Text());
    appendInt(out, static_cast<qsizetype>(Resources_.size()));
    for (const TLangResource& res : Resources_) {
        appendBlock(out, res.Name);
        appendBlock(out, res.Table.Text());
    }
    return out;
}

void TvgLang::SaveToFile(const QString& fileName) const {
    const QByteArray bytes = SaveToBytes();
    try {
        vyk::platform::writeFileAtomic(fileName, bytes);
    } catch (const std::exception& e) {
        throw LanguageFileError(QString::fromUtf8(e.what()));
    }
}

void TvgLang::SetBaseLang(const QString& value) {
    FLang = value;
    if (value == QLatin1String("en")) {
        vyk::toolkit::resetTable();
        return;
    }
    const int i = IndexOfResource(value);
    if (i >= 0) vyk::toolkit::setTable(Resources_[static_cast<size_t>(i)].Table);
}

// ---------------------------------------------------------------------------------------------
// The toolkit's current table

namespace vyk::toolkit {

namespace {

struct CurrentTable {
    bool present = false;
    // First translation per source text, in table order (empty translations included, since
    // the first line decides).
    QHash<QString, QString> first;
};

CurrentTable& current() {
    static CurrentTable t;
    return t;
}

bool& collecting() {
    static bool c = false;
    return c;
}

QStringList& collected() {
    static QStringList l;
    return l;
}

}  // namespace

TranslationSignals& translationSignals() {
    static TranslationSignals* s = new TranslationSignals;  // lives until the process ends
    return *s;
}

QString translate(const QString& text) {
    if (text.isEmpty()) return text;
    if (collecting()) collected().append(text);
    const CurrentTable& t = current();
    if (!t.present) return text;
    const auto it = t.first.constFind(text);
    if (it == t.first.constEnd() || it->isEmpty()) return text;
    return *it;
}

void setTable(const TTextList& table) {
    CurrentTable t;
    t.present = true;
    for (const QString& line : table.Lines()) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString source = line.left(eq);
        if (!t.first.contains(source)) t.first.insert(source, line.mid(eq + 1));
    }
    current() = std::move(t);
    emit translationSignals().tableChanged();
}

void resetTable() {
    current() = CurrentTable();
    emit translationSignals().tableChanged();
}

bool hasTable() { return current().present; }

void startCollecting() {
    collected().clear();
    collecting() = true;
}

QStringList stopCollecting() {
    collecting() = false;
    QStringList out;
    out.swap(collected());
    return out;
}

}  // namespace vyk::toolkit
