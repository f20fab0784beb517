// The live polar plot: the chosen satellite's pass now, or its next one,
// with the satellite where it is while it is up. The main window feeds it
// each tick; it works out the track only when the pass changes.
#pragma once
#include <QImage>
#include <QWidget>

#include <string>

#include "uPolarPlot.h"
#include "uSession.h"

inline constexpr double kPolarTrackStep = 10.0;  // s between track points

class TfrPolarPlot : public QWidget {
    Q_OBJECT
public:
    explicit TfrPolarPlot(QWidget* parent = nullptr);

    // The pass of sat from aos to los (UTC day numbers) at time now; state:
    // the satellite's state at now (its look angles and sunlit flag).
    void ShowPass(const TSatRec& sat, const TObserver& observer, double aos, double los, double now,
                  const TSatState& state, double displayOffset);
    // No pass to draw: a title and why.
    void ShowNoPass(const std::string& title, const std::string& why);
    void SetNight(bool night);

    const TPolarScene& scene() const { return Scene; }
    // Draws at the widget's size and pixel ratio, as the screen shows it.
    TPolarDrawn Render(QImage& image) const;
    QSize sizeHint() const override { return {300, 340}; }
    QSize minimumSizeHint() const override { return {160, 180}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPolarScene Scene;
    // The pass the track was worked out for.
    std::string TrackSat;
    double TrackAos = 0.0, TrackLos = -1.0;
};
