#include "preferences/preferences_dialog.h"

#include "preferences/preferences_view.h"

#include <QShortcut>
#include <QVBoxLayout>

PreferencesDialog::PreferencesDialog(PreferencesView& view, QWidget* below, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("preferencesDialog"));
    // The desktop adds the application's name unless the title already ends with it.
    setWindowTitle(tr("Preferences — Quillbox"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(&view);
    if (below)
        layout->addWidget(below);
    // Escape closes any dialog; Ctrl+W closes windows everywhere else on the desktop.
    auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    connect(close, &QShortcut::activated, this, &QDialog::reject);
}
