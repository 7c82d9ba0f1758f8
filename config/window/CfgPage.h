#pragma once
// TCfgPage: the base of the configuration window's tab pages. A page gets what it edits (the
// data module, the window's shared state and the seam to the world outside) when it is made,
// and never reaches for globals, so a test can build one alone.
//
// Refresh() brings the page's controls up to date from the data module's current profile; the
// window's refresh commands call it in their order. The base does nothing there.
//
// UI thread only.

#include <QWidget>

class CfgLink;
class TDM;
struct TCfgState;

class TCfgPage : public QWidget {
    Q_OBJECT
public:
    TCfgPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr)
        : QWidget(parent), FDM(dm), FState(state), FLink(link) {}

    TDM& DataModule() const { return FDM; }
    TCfgState& State() const { return FState; }
    CfgLink& Link() const { return FLink; }

private:
    TDM& FDM;
    TCfgState& FState;
    CfgLink& FLink;
};
