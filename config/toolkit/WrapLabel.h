#pragma once
// WrapLabel: a text box of fixed size for skinned windows. The text wraps at word boundaries,
// and inside a word only when the word alone is wider than the box (long paths, Chinese text).
// When the wrapped text is taller than the box, the font is made smaller, down to MinPixelSize;
// what still does not fit is cut at the bottom. The text is painted in the given colour and
// alignment (vertical alignment applies to the whole block).
//
// UI thread only.

#include <QColor>
#include <QString>
#include <QWidget>

class QTextLayout;

namespace vyk::config {

class WrapLabel : public QWidget {
    Q_OBJECT
public:
    explicit WrapLabel(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }
    void setAlignment(Qt::Alignment a);
    Qt::Alignment alignment() const { return alignment_; }
    void setColor(const QColor& c);
    void setMinPixelSize(int px);

    // The font size the text is painted with now (after shrinking), and whether it fits the
    // box at that size.
    int effectivePixelSize() const;
    bool textFits() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Fit {
        int pixelSize = 0;
        bool fits = true;
    };
    Fit computeFit() const;
    // Lays the text out in `layout` with font f, wrapped at `width`, lines one under the other
    // from the top; returns the height of all lines.
    qreal layOutText(QTextLayout& layout, const QFont& f, qreal width) const;

    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    QColor color_;
    int minPixelSize_ = 9;
    mutable bool fitValid_ = false;
    mutable Fit fit_;
};

}  // namespace vyk::config
