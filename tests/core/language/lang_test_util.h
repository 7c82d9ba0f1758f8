#pragma once
// Builders for language-file bytes written independently of the code under test, and a
// fixture that gives each test an empty executable folder and no current table.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "core/language/vgLang.h"
#include "tests/support/test_env.h"

namespace langtest {

inline void appendInt(QByteArray& b, std::int32_t v) {
    for (int i = 0; i < 4; ++i) b.append(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
}

inline void appendUnits(QByteArray& b, const QString& s) {
    for (QChar c : s) {
        b.append(static_cast<char>(c.unicode() & 0xFF));
        b.append(static_cast<char>(c.unicode() >> 8));
    }
}

inline void appendBlock(QByteArray& b, const QString& s) {
    appendInt(b, static_cast<std::int32_t>(s.size()));
    appendUnits(b, s);
}

// A file with the given source lines and languages (name, table lines), every line ending
// in CR LF.
inline QByteArray fileBytes(const QStringList& sources, const std::vector<std::pair<QString, QStringList>>& languages) {
    auto block = [](const QStringList& lines) {
        QString s;
        for (const QString& l : lines) s += l + QStringLiteral("\r\n");
        return s;
    };
    QByteArray b;
    appendBlock(b, block(sources));
    appendInt(b, static_cast<std::int32_t>(languages.size()));
    for (const auto& [name, table] : languages) {
        appendBlock(b, name);
        appendBlock(b, block(table));
    }
    return b;
}

inline std::filesystem::path exeDir() { return std::filesystem::path(qgetenv("VYK_EXE_DIR").toStdString()); }
inline std::filesystem::path uiLocalPath() { return exeDir() / "ui.local"; }

inline void writeUiLocal(const QByteArray& bytes) {
    std::filesystem::create_directories(exeDir());
    vyk::test::writeBytes(uiLocalPath(), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

inline QByteArray readUiLocal() {
    const auto v = vyk::test::readBytes(uiLocalPath());
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(exeDir());
        std::filesystem::remove(uiLocalPath());
        vyk::toolkit::resetTable();
    }
    void TearDown() override {
        std::filesystem::remove(uiLocalPath());
        vyk::toolkit::resetTable();
    }
};

}  // namespace langtest
