#pragma once
// A clean store for each test: its own registry root, Documents and executable folders, and
// message boxes captured instead of shown. reports(dm) takes what the data module found, in
// English.

#include "core/defs/pubunit_norvane.h"
#include "core/store/DMUnit.h"
#include "platform/dialogs/message_box.h"

#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

inline QString qpath(const fs::path& p) { return QString::fromStdString(p.string()); }

template <class T>
std::vector<std::uint8_t> bytesOf(const T& rec) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&rec);
    return std::vector<std::uint8_t>(p, p + sizeof(T));
}

template <class T>
std::unique_ptr<T> recordFrom(const std::vector<std::uint8_t>& bytes) {
    auto rec = std::make_unique<T>();
    std::memset(static_cast<void*>(rec.get()), 0, sizeof(T));
    std::memcpy(rec.get(), bytes.data(), std::min(bytes.size(), sizeof(T)));
    return rec;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = vyk::test::freshDir("registry");
        docs_ = vyk::test::freshDir("docs");
        exe_ = vyk::test::freshDir("exe");
        envs_.push_back(std::make_unique<vyk::test::ScopedEnv>("VYK_REGISTRY_ROOT", registry_.string()));
        envs_.push_back(std::make_unique<vyk::test::ScopedEnv>("VYK_DOCUMENTS_DIR", docs_.string()));
        envs_.push_back(std::make_unique<vyk::test::ScopedEnv>("VYK_EXE_DIR", exe_.string()));
        vyk::platform::setMessageBoxHook(
            [this](const QString&, const QString& text, vyk::platform::MessageIcon) { messages_.append(text); });
    }
    void TearDown() override { vyk::platform::setMessageBoxHook({}); }

    // The folder of a registry key below HKEY_CURRENT_USER.
    fs::path keyDir(const std::string& key = "software/software/Vykgmmouse") const {
        return registry_ / "HKEY_CURRENT_USER" / key;
    }
    fs::path valueFile(const std::string& name) const { return keyDir() / (name + ".bin"); }
    void plant(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        vyk::test::writeBytes(valueFile(name), bytes);
    }
    void writeConfig(const std::string& text) const { vyk::test::writeText(exe_ / "config.ini", text); }

    // A data module started on this test's store.
    static std::unique_ptr<TDM> start() { return std::make_unique<TDM>(); }
    // Runs the save part of APPLY.
    static void apply(TDM& dm) { dm.SaveAll(); }
    // The store's reports not taken yet, as the user reads them (untranslated).
    static QStringList reports(TDM& dm) {
        QStringList out;
        for (const TStoreReport& r : dm.TakeStoreReports()) out.append(r.Format());
        return out;
    }
    // The profile folder under this test's Documents.
    fs::path profiles() const { return docs_ / "VykProfile"; }
    // The stored working copy of profile slot i.
    static std::unique_ptr<TMouseProfileInfo> slot(const TDM& dm, int i) {
        auto p = std::make_unique<TMouseProfileInfo>();
        std::memset(static_cast<void*>(p.get()), 0, sizeof(TMouseProfileInfo));
        EXPECT_TRUE(dm.ReadProfileInfo(*p, i));
        return p;
    }

    fs::path registry_, docs_, exe_;
    std::vector<std::unique_ptr<vyk::test::ScopedEnv>> envs_;
    QStringList messages_;
};
