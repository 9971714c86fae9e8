#pragma once
// The desktop's way of writing numbers, from the application's default
// locale: start-up takes it from the desktop, a test sets it with
// QLocale::setDefault.

#include "platform/number_text.h"

NumberFormat DesktopNumberFormat();
