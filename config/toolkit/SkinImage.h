#pragma once
// TSkinImage: a skinned picture (window backgrounds, mouse views, indicator bars). It paints
// its pixmap stretched to the widget, or at the pixmap's own size centred (SetStretch(false)),
// turned by SetRotation degrees about its centre. A null pixmap paints nothing.
// Click() is emitted by a left click (press and release over the picture), DblClick() by a
// left double click. Mouse events the picture does not use pass on to its parent, so a
// background picture lets its window be dragged.
//
// UI thread only.

#include <QPixmap>
#include <QString>
#include <QWidget>

class TSkinImage : public QWidget {
    Q_OBJECT
public:
    explicit TSkinImage(QWidget* parent = nullptr);

    void SetPixmap(const QPixmap& pixmap);
    const QPixmap& Pixmap() const { return pixmap_; }
    // Loads name from subFolder through GlobalImageDataBase; a missing file keeps the pixmap.
    void LoadSkin(const QString& subFolder, const QString& name);

    void SetStretch(bool on);
    bool Stretch() const { return stretch_; }
    void SetRotation(double degrees);
    double Rotation() const { return rotation_; }

    // Click and DblClick are only emitted (and mouse presses only taken) when enabled here;
    // otherwise the picture is transparent for the mouse. On by default.
    void SetClickable(bool on);

    QSize sizeHint() const override;

signals:
    void Click();
    void DblClick();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QPixmap pixmap_;
    bool stretch_ = true;
    bool clickable_ = true;
    bool pressed_ = false;
    double rotation_ = 0.0;
};
