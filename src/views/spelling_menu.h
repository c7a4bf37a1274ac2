#pragma once

#include <QObject>

class QMenu;
class QPlainTextEdit;
class QPoint;
class SpellingSettings;

// The editor's context menu, with the misspelled word under the click offered its corrections
// and "Add to Dictionary" above the usual commands.
class SpellingMenu : public QObject
{
    Q_OBJECT

public:
    // Lives as long as edit.
    SpellingMenu(QPlainTextEdit& edit, SpellingSettings& spelling);

    // The menu for a click at pos, in the viewport's coordinates; the caller owns it.
    QMenu* menuAt(const QPoint& pos);

private:
    void popup(const QPoint& pos);
    void replace(int position, const QString& word, const QString& with);

    QPlainTextEdit& m_edit;
    SpellingSettings& m_spelling;
};
