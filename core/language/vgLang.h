#pragma once
// The language base of the UI toolkit and the toolkit's translate function.
//
// Every user-visible text of both programs is written in English and passes through
// vyk::toolkit::translate() when it is shown; the key of a translation is the exact English
// text. TvgLang holds the source texts (`Original`) and one translation table per language
// (`Resources`), reads and writes them as the language file `ui.local`, and makes one table
// the toolkit's current table.
//
// The language file (little-endian, text in UTF-16LE, every length counts UTF-16 code units):
//   Int32 source-texts length, source texts (one per line)
//   Int32 language count
//   per language: Int32 name length, name (LANGID as four hex digits, e.g. "0804"),
//                 Int32 table length, table (lines "source=translation")
// Written blocks end every line with CR LF; an empty list is a length of 0 and no text.
//
// Everything here runs on the UI thread.

#include <QCollator>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

// A language file that cannot be used: truncated, a length or count that runs past the end of
// the file, or a file that cannot be read or written. Nothing is changed when it is thrown.
class LanguageFileError : public std::runtime_error {
public:
    explicit LanguageFileError(const QString& message);
};

// A sorted, case-sensitive list of lines that ignores a line equal to one already present.
// Lines are ordered by the collation of the default locale (QLocale()); lines that the
// collation ranks equal but that differ in their code units are both kept, ordered by their
// code units, so no distinct text is ever merged away.
class TTextList {
public:
    TTextList();

    // Adds the line at its sorted place; false when the same line is already present.
    bool Add(const QString& line);
    // Position of exactly this line, or -1.
    int IndexOf(const QString& line) const;
    bool Contains(const QString& line) const { return IndexOf(line) >= 0; }
    void Delete(int index);
    void Clear() { lines_.clear(); }

    int Count() const { return static_cast<int>(lines_.size()); }
    const QString& operator[](int i) const { return lines_[static_cast<size_t>(i)]; }
    const QStringList& Lines() const { return lines_; }

    // The block text: every line followed by CR LF; empty for an empty list.
    QString Text() const;
    // Replaces the lines with those of a text block (see SplitTextBlock).
    void SetText(QStringView text);

    // For tables of "source=translation" lines: the translation part of the first line, in
    // list order, whose source part is exactly `source`. `found` tells whether such a line
    // exists (its translation may be empty). Lines without "=" are never found.
    QString ValueOf(const QString& source, bool* found = nullptr) const;
    // Replaces every line of `source` by "source=value"; an empty value only removes them.
    void SetValue(const QString& source, const QString& value);

private:
    int compare(const QString& a, const QString& b) const;
    int lowerBound(const QString& line) const;

    QCollator collator_;
    QStringList lines_;
};

// Splits a text block into lines: at CR LF, a lone CR or LF, VT, FF, U+2028 and U+2029. A
// NUL ends the lines of the block. Two separators in a row give an empty line; a final
// separator gives none.
QStringList SplitTextBlock(QStringView text);

// One language: its name and its translation table.
struct TLangResource {
    QString Name;
    TTextList Table;
};

// What a language file holds: the source texts and the languages, in file order.
struct TLanguageFile {
    TTextList Original;
    std::vector<TLangResource> Languages;
};

// The language base of the toolkit.
class TvgLang : public QObject {
    Q_OBJECT
public:
    explicit TvgLang(QObject* owner = nullptr);
    ~TvgLang() override;

    TTextList& Original() { return Original_; }
    const TTextList& Original() const { return Original_; }
    std::vector<TLangResource>& Resources() { return Resources_; }
    const std::vector<TLangResource>& Resources() const { return Resources_; }
    // Position of the language of that name (ignoring case), or -1.
    int IndexOfResource(const QString& name) const;

    // Adds an empty table under that name unless a language of that name (ignoring case)
    // exists already.
    void AddLang(const QString& name);

    // Reads the language file: its source texts replace `Original`, its languages are
    // appended to `Resources`. A missing file changes nothing. A file that cannot be read or
    // is damaged raises LanguageFileError and changes nothing.
    void LoadFromFile(const QString& fileName);
    // The same from the bytes of a language file.
    void LoadFromBytes(const QByteArray& bytes, const QString& sourceName = QString());
    // The reading and checking of those two without a component, on any thread: nothing for a
    // missing file, LanguageFileError for a file that cannot be read or is damaged.
    static std::optional<TLanguageFile> ReadLanguageFile(const QString& fileName);
    static TLanguageFile ParseLanguageFile(const QByteArray& bytes, const QString& sourceName = QString());
    // What LoadFromFile does with a file it has read.
    void TakeLanguageFile(TLanguageFile&& file);
    // Writes `Original` and `Resources` as a language file, replacing the file atomically.
    // Raises LanguageFileError when the file cannot be written.
    void SaveToFile(const QString& fileName) const;
    QByteArray SaveToBytes() const;

    // The base's current language name. Setting it: "en" drops the toolkit's current table,
    // the name of a language in `Resources` makes its table current, any other name changes
    // nothing in the toolkit.
    QString BaseLang() const { return FLang; }
    void SetBaseLang(const QString& value);

    // The base's automatic choice (true by default); used when data is loaded from a layout.
    bool BaseAutoSelect() const { return FBaseAutoSelect; }

private:
    TTextList Original_;
    std::vector<TLangResource> Resources_;
    QString FLang;
    bool FBaseAutoSelect = true;
};

namespace vyk::toolkit {

// The toolkit's translate function: the translation of text in the current table, or text
// itself when there is no current table, no line for it, or an empty translation.
QString translate(const QString& text);

// Makes a copy of table the current table, then has the toolkit's controls translate
// themselves again (tableChanged).
void setTable(const TTextList& table);
// Drops the current table; the toolkit's controls show their source texts again.
void resetTable();
bool hasTable();

// While collecting, every non-empty text passed to translate() is also recorded.
void startCollecting();
QStringList stopCollecting();

// Controls that translate themselves keep their English source text and show
// translate(source); they connect to tableChanged() and show it again.
class TranslationSignals : public QObject {
    Q_OBJECT
signals:
    void tableChanged();
};
TranslationSignals& translationSignals();

}  // namespace vyk::toolkit
