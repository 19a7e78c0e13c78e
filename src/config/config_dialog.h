#pragma once

#include "time/time_sample.h"

#include <QDialog>

namespace chronivo {

class ProfileStore;

// The settings window: shows the stored choices when it opens and stores them on OK.
class ConfigDialog : public QDialog {
    Q_OBJECT
public:
    ConfigDialog(QWidget* parent, ProfileStore& store, const Clock& clock = SystemClock());

private:
    ProfileStore& m_app;
    const Clock& m_clock;
};

// Runs the dialog modally over `parent` (over the screen when null) and returns once it has
// closed, after OK and after cancelling alike.
void RunConfigDialog(QWidget* parent, ProfileStore& store, const Clock& clock = SystemClock());

} // namespace chronivo
