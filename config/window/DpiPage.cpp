#include "config/window/DpiPage.h"

#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/TrackBar.h"
#include "config/window/CfgState.h"
#include "config/window/DpiLevelRow.h"
#include "core/defs/pubunit_norvane.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>

#include <algorithm>

using vyk::platform::guarded;

namespace {

constexpr int kRowX0 = 13, kRowY = 10;

int levelCountOf(const TMouseProfileInfo& p) { return std::clamp<int>(p.ConfigInfo.CPILevel, 0, 5); }

}  // namespace

bool IsOtherCPILevelEnabled(const TMouseProfileInfo& profile, int level) {
    const int n = levelCountOf(profile);
    for (int i = 0; i < n; ++i) {
        if (i != level && profile.ConfigInfo.CPIState[i].Enabled != 0) return true;
    }
    return false;
}

TDpiPage::TDpiPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent) : TCfgPage(dm, state, link, parent) {
    setObjectName(QStringLiteral("PageDpi"));
    FRadioGroup = new QButtonGroup(this);
    FRadioGroup->setObjectName(QStringLiteral("DPIINDEXSEL"));
    FRadioGroup->setExclusive(true);
    for (int i = 0; i < 5; ++i) {
        auto* row = new TDpiLevelRow(i, this);
        row->move(kRowX0 + i * DPI_ROW_WIDTH, kRowY);
        Rows[static_cast<std::size_t>(i)] = row;
        DPIL[static_cast<std::size_t>(i)] = row->DPIL;
        FRadioGroup->addButton(row->DPIL, i);
    }
    DPIL[0]->setChecked(true);
}

int TDpiPage::LevelCount() const { return levelCountOf(DataModule().FCurrentProfileInfo); }

void TDpiPage::InitCPIControlTable() {
    for (int i = 0; i < 5; ++i) {
        TDpiLevelRow* r = Rows[static_cast<std::size_t>(i)];
        CPIControlTable[static_cast<std::size_t>(i)] =
            TCPIControlRow{r->BtnCPI, r->CheckCPI, r->TrackCPIX, r->TrackCPIY, r->TxtCPIXNum, r->TxtCPIYNum};
    }
    for (const TCPIControlRow& c : CPIControlTable) {
        TImageStateButton* b = c.Btn;
        connect(b, &TImageStateButton::MouseUp, this,
                [this, b](Qt::MouseButton button) { guarded([&] { BtnCPI1MouseUp(b->Tag(), button); }); });
        QCheckBox* box = c.Check;
        connect(box, &QCheckBox::toggled, this,
                [this, box](bool) { guarded([&] { CheckCPI1Change(box->property("Tag").toInt()); }); });
        for (TTrackBar* t : {c.TrackX, c.TrackY}) {
            connect(t, &TTrackBar::Change, this, [this, t] { guarded([&] { TrackCPI1XChange(t); }); });
        }
    }
    for (QRadioButton* r : DPIL) {
        connect(r, &QRadioButton::toggled, this, [this, r](bool checked) {
            guarded([&] { doSetDPIIndexchanged(r->property("Tag").toInt(), checked); });
        });
    }
}

void TDpiPage::LoadSkin() {
    for (TDpiLevelRow* r : Rows) r->LoadSkin();
}

void TDpiPage::SetAxisCaptions(const QString& x, const QString& y) {
    for (TDpiLevelRow* r : Rows) {
        r->TextCPIX->setText(x);
        r->TextCPIY->setText(y);
    }
}

void TDpiPage::Changed() {
    if (!FHoldSaveBack) DataModule().SaveBackToCurrentProfileInfo();
    if (!FRefreshing) State().SettingsChanged = true;
}

void TDpiPage::SetCPILevelEnabled(int level, bool on) {
    if (level < 0 || level > 4) return;
    const TCPIControlRow& c = CPIControlTable[static_cast<std::size_t>(level)];
    if (c.Btn == nullptr) return;
    c.Check->setEnabled(on);
    c.TrackX->setEnabled(on);
    c.TrackY->setEnabled(on);
    c.TxtX->setEnabled(on);
    Rows[static_cast<std::size_t>(level)]->SetLevelStyle(on ? QStringLiteral("MYDPIBTNA") : QStringLiteral("MYDPIBTN"));
}

void TDpiPage::RefreshCPIIndicators() {
    // The radios are set with their handlers detached: showing the current level never writes
    // to the mouse.
    QScopedValueRollback<bool> detached(FIndicatorsDetached, true);
    const TMOUSECONFIGINFO& c = DataModule().FCurrentProfileInfo.ConfigInfo;
    const int n = LevelCount();
    const int current = c.CurrentCPIIndex;
    // A current level outside the shown levels checks no radio, so the group must allow none.
    FRadioGroup->setExclusive(false);
    for (int i = 0; i < n; ++i) {
        const bool on = c.CPIState[i].Enabled != 0;
        QString style = QStringLiteral("MYDPIBTN");
        if (on) style = i == current ? QStringLiteral("MYDPIBTNCURRENTA") : QStringLiteral("MYDPIBTNA");
        Rows[static_cast<std::size_t>(i)]->SetLevelStyle(style);
        DPIL[static_cast<std::size_t>(i)]->setChecked(i == current);
    }
    FRadioGroup->setExclusive(true);
}

void TDpiPage::ShowCPILevel(int level) {
    if (level < 0 || level > 4) return;
    TMOUSECONFIGINFO& c = DataModule().FCurrentProfileInfo.ConfigInfo;
    const TCPIControlRow& row = CPIControlTable[static_cast<std::size_t>(level)];
    const bool linked = c.UseDiffentXY[level] == 1;
    const int x = c.CPIState[level].X;
    const int y = c.CPIState[level].Y;
    row.Btn->SetPressed(c.CPIState[level].Enabled != 1);
    row.Check->setChecked(linked);
    row.TrackX->SetValue(x);
    row.TrackY->SetValue(y);
    // The texts show what is stored now (the bars' handlers may have stored the rounded or the
    // linked value).
    row.TxtX->setText(QString::number(c.CPIState[level].X));
    row.TxtY->setText(QString::number(c.CPIState[level].Y));
    if (!FHoldSaveBack) DataModule().SaveBackToCurrentProfileInfo();
}

void TDpiPage::Refresh() {
    QScopedValueRollback<bool> refreshing(FRefreshing, true);
    const TMOUSECONFIGINFO& c = DataModule().FCurrentProfileInfo.ConfigInfo;
    for (int i = 0; i < 5; ++i) {
        SetCPILevelEnabled(i, c.CPIState[i].Enabled == 1);
        ShowCPILevel(i);
    }
    RefreshCPIIndicators();
}

void TDpiPage::RefreshMadeLate() {
    QScopedValueRollback<bool> hold(FHoldSaveBack, true);
    Refresh();
}

void TDpiPage::BtnCPI1MouseUp(int level, Qt::MouseButton) {
    if (level < 0 || level > 4) return;
    TMOUSECONFIGINFO& c = DataModule().FCurrentProfileInfo.ConfigInfo;
    TImageStateButton* b = CPIControlTable[static_cast<std::size_t>(level)].Btn;
    if (!b->IsPressed()) {
        SetCPILevelEnabled(level, true);
        c.CPIState[level].Enabled = 1;
    } else if (IsOtherCPILevelEnabled(DataModule().FCurrentProfileInfo, level)) {
        SetCPILevelEnabled(level, false);
        c.CPIState[level].Enabled = 0;
    } else {
        // The only level on stays on: the button comes back out, without a message.
        b->SetPressed(false);
        b->repaint();
    }
    const int n = LevelCount();
    for (int i = 0; i < n; ++i) {
        if (c.CPIState[i].Enabled == 1) {
            c.CurrentCPIIndex = i;
            break;
        }
    }
    RefreshCPIIndicators();
    Changed();
}

void TDpiPage::CheckCPI1Change(int level) {
    if (level < 0 || level > 4) return;
    TMOUSECONFIGINFO& c = DataModule().FCurrentProfileInfo.ConfigInfo;
    c.UseDiffentXY[level] = CPIControlTable[static_cast<std::size_t>(level)].Check->isChecked() ? 1 : 0;
    Changed();
}

void TDpiPage::TrackCPI1XChange(TTrackBar* track) {
    int level = -1;
    for (int i = 0; i < 5; ++i) {
        if (track->BindingName().compare(QStringLiteral("CPI%1").arg(i + 1), Qt::CaseInsensitive) == 0) {
            level = i;
            break;
        }
    }
    if (level < 0) return;
    const int axis = track->Tag() == 1 ? 1 : 0;
    const TCPIControlRow& row = CPIControlTable[static_cast<std::size_t>(level)];
    TCPISTATE& s = DataModule().FCurrentProfileInfo.ConfigInfo.CPIState[level];
    const int value = static_cast<int>(track->Value());
    if (row.Check->isChecked()) {
        // The other bar follows; its handler finds this bar already at the value.
        (axis == 0 ? row.TrackY : row.TrackX)->SetValue(value);
        row.TxtX->setText(QString::number(value));
        row.TxtY->setText(QString::number(value));
        s.X = static_cast<std::uint16_t>(value);
        s.Y = static_cast<std::uint16_t>(value);
    } else {
        (axis == 0 ? row.TxtX : row.TxtY)->setText(QString::number(value));
        (axis == 0 ? s.X : s.Y) = static_cast<std::uint16_t>(value);
    }
    Changed();
}

void TDpiPage::doSetDPIIndexchanged(int level, bool checked) {
    if (!checked || FIndicatorsDetached || level < 0 || level > 4) return;
    DataModule().FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = level;
    RefreshCPIIndicators();
    // The write lets the UI thread handle events; a radio chosen meanwhile is written once more
    // afterwards, never in the middle of this write.
    if (FWriting) {
        FWritePending = true;
        return;
    }
    QScopedValueRollback<bool> writing(FWriting, true);
    do {
        FWritePending = false;
        emit WriteCurrentLevel();
    } while (FWritePending);
}
