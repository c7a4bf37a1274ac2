#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QCompleter;
class QPlainTextEdit;
class QStringListModel;

// Typing "[[" in the editor offers the folder's note titles in a popup, those containing what
// was typed since (ignoring case); choosing one completes the link as "[[Title]]".
class WikiLinkCompleter : public QObject
{
    Q_OBJECT

public:
    using Titles = std::function<QStringList()>;
    WikiLinkCompleter(QPlainTextEdit* edit, Titles titles);

    QCompleter* completer() const { return m_completer; }
    // The editor holds another document: typing in it is followed instead.
    void followDocument();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What was typed since an unclosed "[[" before the cursor, on its line.
    std::optional<QString> typedTitle() const;
    void offer();
    void complete(const QString& title);

    QPlainTextEdit* m_edit;
    Titles m_titles;
    QStringListModel* m_model;
    QCompleter* m_completer;
    bool m_typed = false;
    QMetaObject::Connection m_contents;
};
