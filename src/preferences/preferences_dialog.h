#pragma once

#include <QDialog>

class PreferencesView;

// The preferences as a dialog of the main window: centred on it, kept above it, closed with
// Escape or Ctrl+W, and announced to screen readers as a dialog.
class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    // below, when given, is shown under the folder's preferences.
    PreferencesDialog(PreferencesView& view, QWidget* below, QWidget* parent);
};
