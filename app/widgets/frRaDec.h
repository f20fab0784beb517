// The right ascension and declination entry of the transit target: two
// masked fields, HHMMSS and a sign with DDMMSS, read when the window closes.
#pragma once
#include <QDialog>

#include <string>

class QLineEdit;

class TfrRaDecWnd : public QDialog {
    Q_OBJECT
public:
    // The fields start with the position given (radians).
    TfrRaDecWnd(double ra, double dec, QWidget* parent = nullptr);

    // After the window closed: the position read (radians; a field that did
    // not read is 0) and what was wrong ("" when both fields read).
    double ra() const { return Ra; }
    double dec() const { return Dec; }
    const std::string& message() const { return Message; }

    void done(int result) override;

private:
    QLineEdit *mstxt_ra = nullptr, *mstxt_dec = nullptr;
    double Ra = 0.0, Dec = 0.0;
    std::string Message;
};
