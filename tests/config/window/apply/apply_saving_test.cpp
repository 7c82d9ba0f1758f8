// APPLY's saving: the records and the macro database are written and flushed on a worker
// thread while the window goes on handling its events, all of it before the first device
// report; a save that fails ends APPLY before the mouse is touched.
#include "config/window/ApplyInputQueue.h"
#include "core/macro/uiMacroSet.h"
#include "platform/paths/file_io.h"
#include "tests/config/window/apply/apply_fixture.h"

#include <QEvent>
#include <QProgressBar>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace applytest;
namespace fs = std::filesystem;

namespace {

// Holds the first flush made off the UI thread until the UI thread releases it (at most a few
// seconds); flushes on the UI thread are only noted.
class HeldFlush {
public:
    explicit HeldFlush(const vyk::sim::MouseSimServer& sim) : FSim(sim) {
        vyk::platform::setFlushHook([this](const QByteArray& path) { hold(path); });
    }
    ~HeldFlush() { vyk::platform::setFlushHook({}); }

    bool Holding() const { return FHolding; }
    void Release() {
        {
            std::lock_guard lock(FMutex);
            FReleased = true;
        }
        FCv.notify_all();
    }
    bool Held() const { return FHeldOnce; }
    QStringList UiThreadFlushes() {
        std::lock_guard lock(FMutex);
        return FUiThreadFlushes;
    }
    std::size_t ReportsWhenHeld() const { return FReportsWhenHeld; }

private:
    void hold(const QByteArray& path) {
        std::unique_lock lock(FMutex);
        if (std::this_thread::get_id() == FUiThread) {
            // Not held: a flush on the UI thread would block the window (and this test).
            FUiThreadFlushes.append(QString::fromLocal8Bit(path));
            return;
        }
        if (FHeldOnce) return;
        FHeldOnce = true;
        FReportsWhenHeld = FSim.log().size();
        FHolding = true;
        FCv.wait_for(lock, std::chrono::seconds(5), [this] { return FReleased; });
        FHolding = false;
    }

    const vyk::sim::MouseSimServer& FSim;
    const std::thread::id FUiThread = std::this_thread::get_id();
    std::mutex FMutex;
    std::condition_variable FCv;
    bool FReleased = false;
    std::atomic<bool> FHeldOnce{false};
    std::atomic<bool> FHolding{false};
    QStringList FUiThreadFlushes;
    std::atomic<std::size_t> FReportsWhenHeld{0};
};

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

// While a flush of the saves is held, the window handles a timer and repaints, the mouse has
// not been written, and a click on a profile waits; once released, APPLY writes the mouse as
// always and the saved records are on disk.
TEST_F(ApplyTest, TheSavesRunOffTheUiThreadWhileTheWindowPaintsAndBeforeTheMouseIsWritten) {
    TVYKCFGMAIN& w = open();
    dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 13;
    PaintCounter counter;
    w.installEventFilter(&counter);
    HeldFlush held(*sim_);

    int ticksWhileHeld = 0;
    int paintsWhileHeld = -1;
    std::size_t pendingWhileHeld = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!held.Holding()) return;
        if (++ticksWhileHeld == 1) {
            // Asks for a repaint and a profile click; the next tick sees what came of them.
            paintsWhileHeld = counter.paints;
            w.update();
            QTest::mouseClick(w.BtnProfile[3], Qt::LeftButton);
            pendingWhileHeld = w.ApplyQueue().Pending();
            return;
        }
        if (counter.paints > paintsWhileHeld) held.Release();
    });
    probe.start(1);
    clickApply();
    probe.stop();

    EXPECT_TRUE(held.Held()) << "flushed on the UI thread: " << held.UiThreadFlushes().join(", ").toStdString();
    EXPECT_EQ(held.ReportsWhenHeld(), 0u) << "nothing reaches the mouse before the saves are flushed";
    EXPECT_GE(ticksWhileHeld, 2) << "the window's timers ran during the saves";
    EXPECT_GT(counter.paints, paintsWhileHeld) << "the window repainted during the saves";
    EXPECT_GE(pendingWhileHeld, 2u) << "the click was held";
    const auto got = reports();
    const auto apply = concat({applyStart(), profileWrites(0), applyEnd()});
    ASSERT_GE(got.size(), apply.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(apply.size())), apply);
    EXPECT_EQ(dm_->FProfileIndex, 3) << "the held click ran after APPLY";
    TDM reread;
    auto stored = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(reread.ReadProfileInfo(*stored, 0));
    EXPECT_EQ(stored->ConfigInfo.PointerSpeed, 13);
}

// A save that fails (the first one, or the macro database at the end) is reported once and
// ends APPLY before the mouse: nothing written to it, the monitor not told, the pointer
// settings not applied, the edits still marked unsaved and the profiles still flagged.
TEST_F(ApplyTest, ASaveThatFailsEndsApplyBeforeTheMouse) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<vyk::test::ScopedEnv>(TVYKCFGMAIN&)> breakStore;
    };
    const Case cases[] = {
        {"settings store",
         [](TVYKCFGMAIN&) {
             // Its folder would have to sit inside a plain file.
             const fs::path blocker = vyk::test::freshDir("blocked") / "file";
             vyk::test::writeText(blocker, "x");
             return std::make_unique<vyk::test::ScopedEnv>("VYK_REGISTRY_ROOT", (blocker / "registry").string());
         }},
        {"macro database",
         [](TVYKCFGMAIN& w) {
             // A folder in the database's place.
             const fs::path db = w.FMacroSetClass->BaseMacrosetDBFile().toStdString();
             fs::remove(db);
             fs::create_directory(db);
             return std::unique_ptr<vyk::test::ScopedEnv>();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVYKCFGMAIN& w = open();
        w.State().MouseParams = TMouseParams{7, 3, 2};
        w.State().SettingsChanged = true;
        dm_->SetProfileChanged(2, true);
        const auto broken = c.breakStore(w);
        clickApply();

        EXPECT_EQ(errors_.size(), 1) << errors_.join("\n").toStdString();
        errors_.clear();
        EXPECT_TRUE(reports().empty());
        EXPECT_TRUE(toMonitor_.empty());
        EXPECT_TRUE(w.SettingsChanged());
        EXPECT_TRUE(w.ProgressBarTime->isHidden());
        EXPECT_TRUE(w.BtnApply->isEnabled());
        EXPECT_EQ(flags(), (std::vector<bool>{true, false, true, false, false}));
        ASSERT_TRUE(TuiThread::WaitForCalls(std::chrono::seconds(10)));
        EXPECT_TRUE(pointer_.calls().empty());
    }
}
