#pragma once
// The desktop's language for the length of a test, set as start-up takes it
// from the desktop: as the application's default locale.

#include <QLocale>

class DesktopLocale {
public:
    explicit DesktopLocale(QLocale::Language language) : previous_(QLocale()) {
        QLocale::setDefault(QLocale(language));
    }
    ~DesktopLocale() { QLocale::setDefault(previous_); }
    DesktopLocale(const DesktopLocale&) = delete;
    DesktopLocale& operator=(const DesktopLocale&) = delete;

private:
    QLocale previous_;
};
