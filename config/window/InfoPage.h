#pragma once
// TInfoPage: the INFO tab. The version, the maker and the year, "ALL RIGHTS RESERVED", the
// product name, the web address label `lblwebsite` (clickable: emits WebsiteClicked, the
// window opens it) and the e-mail label `Labelemail` (not clickable). The two addresses come
// from config.ini (section OtherConfig, OfficialWebsite and SupportEmail); a line whose entry
// is empty, or not an http(s) address with a host for the web address, is hidden, so no
// placeholder address is ever shown.
//
// The texts are English source texts; the window's language component translates them.
// UI thread only.

#include "config/window/CfgPage.h"

class QLabel;

// The fixed texts of the INFO page.
inline constexpr const char* CFG_INFO_VERSION = "VERSION: V1.0.CF";
inline constexpr const char* CFG_INFO_MAKER = "COPYRIGHT (C) 2026 VYK";
inline constexpr const char* CFG_INFO_RIGHTS = "ALL RIGHTS RESERVED";
inline constexpr const char* CFG_INFO_PRODUCT = "VYK GAMING MOUSE";

class TInfoPage : public TCfgPage {
    Q_OBJECT
public:
    TInfoPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr);

    QLabel* LabelVersion = nullptr;
    QLabel* LabelMaker = nullptr;
    QLabel* LabelRights = nullptr;
    QLabel* LabelProduct = nullptr;
    QLabel* lblwebsite = nullptr;
    QLabel* Labelemail = nullptr;

signals:
    void WebsiteClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
