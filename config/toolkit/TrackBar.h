#pragma once
// TTrackBar: the skinned slider of VykCfg, with a double value.
//
// - Range Min()..Max() (SetRange puts the two in order). Frequency() is the step: 0 means
//   continuous; otherwise every new value is rounded to the nearest Min + k * step and then
//   kept within the range (so Max itself is reachable even when the range is not a multiple
//   of the step).
// - Change() is emitted on every change of Value(): while dragging, on keys and clicks, and
//   when the value is set from code (SetValue, and SetRange / SetFrequency when they move the
//   value). Setting the value it already has emits nothing. NaN is ignored.
// - Horizontal bars grow to the right, vertical bars grow upwards.
// - Mouse: a press on the thumb drags it; a press elsewhere on the track moves the thumb
//   there and drags from there. Keys: arrows move one step (1/100 of the range when
//   continuous), Page Up/Down ten steps, Home/End to the ends. The wheel moves one step.
// - LoadSkin gives the track a background bitmap (stretched); without one a plain groove is
//   drawn. The thumb is drawn.
//
// UI thread only.

#include <QPixmap>
#include <QString>
#include <QWidget>

class TTrackBar : public QWidget {
    Q_OBJECT
public:
    explicit TTrackBar(QWidget* parent = nullptr);
    TTrackBar(Qt::Orientation orientation, QWidget* parent);

    double Min() const { return min_; }
    double Max() const { return max_; }
    void SetRange(double min, double max);
    double Frequency() const { return frequency_; }
    void SetFrequency(double step);  // negative counts as 0
    double Value() const { return value_; }
    void SetValue(double value);

    Qt::Orientation Orientation() const { return orientation_; }
    void SetOrientation(Qt::Orientation o);

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }
    QString BindingName() const { return bindingName_; }
    void SetBindingName(const QString& name) { bindingName_ = name; }

    void SetBackground(const QPixmap& pixmap);
    void LoadSkin(const QString& subFolder, const QString& name);
    const QPixmap& Background() const { return background_; }

    // The value the bar would take for a requested value (rounded to the step, in range).
    double Normalized(double value) const;
    // Thumb centre in widget coordinates for a value (for tests and painting).
    QPointF ThumbCentre(double value) const;

    QSize sizeHint() const override;

signals:
    void Change();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    double valueAt(const QPointF& pos) const;
    double keyStep() const;
    void setValueFromUser(double v);
    int thumbLength() const;

    Qt::Orientation orientation_ = Qt::Horizontal;
    double min_ = 0.0;
    double max_ = 10.0;
    double frequency_ = 0.0;
    double value_ = 0.0;
    int tag_ = 0;
    QString bindingName_;
    QPixmap background_;
    bool dragging_ = false;
    double dragOffset_ = 0.0;
};
