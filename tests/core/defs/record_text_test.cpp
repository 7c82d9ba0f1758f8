// The UTF-16 text fields of the stored records: bounded writes that keep the bytes after the
// terminating NUL, and reads that never run past the field.
#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "core/defs/pubunit_norvane.h"
#include "core/defs/record_text.h"

using vyk::defs::recordText;
using vyk::defs::recordTextView;
using vyk::defs::setRecordText;

namespace {

constexpr char16_t kFill = u'#';

struct WriteCase {
    const char* name;
    std::u16string text;
    std::u16string stored;  // units before the NUL
};

class RecordTextWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(RecordTextWrite, WritesAtMostNMinusOneUnitsAndKeepsTheTail) {
    const WriteCase& c = GetParam();
    char16_t field[8];
    std::fill(std::begin(field), std::end(field), kFill);

    const std::size_t count = setRecordText(field, c.text);

    EXPECT_EQ(count, c.stored.size());
    EXPECT_EQ(std::u16string(field, count), c.stored);
    EXPECT_EQ(field[count], u'\0');
    for (std::size_t i = count + 1; i < 8; ++i) EXPECT_EQ(field[i], kFill) << "unit " << i;
    EXPECT_EQ(recordTextView(field), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordTextWrite,
    ::testing::Values(WriteCase{"empty", u"", u""}, WriteCase{"short", u"abc", u"abc"},
                      WriteCase{"exactly_n_minus_1", u"abcdefg", u"abcdefg"},
                      WriteCase{"exactly_n", u"abcdefgh", u"abcdefg"},
                      WriteCase{"longer", u"abcdefghijklmnop", u"abcdefg"},
                      WriteCase{"embedded_nul_stops", std::u16string(u"ab\0cd", 5), u"ab"},
                      // U+1F600 as a pair would straddle the limit: it is dropped whole, not cut in half.
                      WriteCase{"pair_at_limit", u"abcdef\U0001F600", u"abcdef"},
                      WriteCase{"pair_before_limit", u"abcde\U0001F600x", u"abcde\U0001F600"},
                      WriteCase{"non_latin", u"\u9ED1\u4F53", u"\u9ED1\u4F53"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordText, ReaderStopsAtTheFieldEndWithoutNul) {
    // A field without a NUL followed by other record bytes: the reader must not run into them.
    struct {
        char16_t field[4];
        char16_t next[4];
    } rec{{u'w', u'x', u'y', u'z'}, {u'!', u'!', u'!', u'\0'}};
    EXPECT_EQ(recordTextView(rec.field), u"wxyz");
    EXPECT_EQ(recordText(rec.field), QStringLiteral("wxyz"));
}

TEST(RecordText, DegenerateFieldsAreSafe) {
    char16_t one[1] = {u'q'};
    EXPECT_EQ(setRecordText(one, u"long text"), 0u);
    EXPECT_EQ(one[0], u'\0');
    EXPECT_EQ(setRecordText(nullptr, 5, u"x"), 0u);
    char16_t untouched = u'k';
    EXPECT_EQ(setRecordText(&untouched, 0, u"x"), 0u);
    EXPECT_EQ(untouched, u'k');
    EXPECT_TRUE(recordTextView(nullptr, 3).empty());
}

TEST(RecordText, QStringRoundTripThroughRecordFields) {
    // The limits of the record fields: 30 characters of key text, 50 of a macro name.
    TSINGLEKEYINFO key{};
    const QString longText(40, QLatin1Char('K'));
    EXPECT_EQ(setRecordText(key.SingleKeyText, longText), 30u);
    EXPECT_EQ(recordText(key.SingleKeyText), QString(30, QLatin1Char('K')));

    TMACROKEYINFO macro{};
    const QString name = QStringLiteral("Macro \u00E9\u00E8 ") + QString(60, QLatin1Char('n'));
    setRecordText(macro.szMacroName, name);
    EXPECT_EQ(recordText(macro.szMacroName), name.left(50));
    EXPECT_EQ(macro.szMacroName[50], u'\0');
}

}  // namespace
