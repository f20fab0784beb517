// A colour name whose text shows the colour, on a ground light or dark
// enough to read it; a click opens the colour dialog.
#pragma once
#include <QColor>
#include <QLabel>

#include <cstdint>

class TColourLabel : public QLabel {
public:
    explicit TColourLabel(QWidget* parent = nullptr);

    QColor colour() const { return Colour; }
    uint32_t argb() const { return Colour.rgba() | 0xFF000000u; }  // the views draw it opaque
    void setColour(const QColor& c);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor Colour;
};
