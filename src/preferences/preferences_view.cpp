#include "preferences/preferences_view.h"

#include "folder/folder_preferences.h"
#include "preferences/adaptive_actions.h"
#include "preferences/elided_label.h"
#include "store/naming.h"
#include "views/palette_colors.h"

#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

void makeSecondary(QLabel* label)
{
    label->setForegroundRole(QPalette::PlaceholderText);
}

QString statusText(const FolderPreferences& model)
{
    using Status = FolderPreferences::Status;
    switch (model.status()) {
    case Status::NotSet:
        return PreferencesView::tr("Not set");
    case Status::Checking:
        return PreferencesView::tr("Checking…");
    case Status::Writable:
        return PreferencesView::tr("Writable");
    case Status::NoAccess:
        return PreferencesView::tr("No access to %1").arg(Naming::fileName(model.folder()));
    }
    return {};
}

QString confirmationText(const FolderPreferences::Confirmation& confirmation)
{
    using Kind = FolderPreferences::Confirmation::Kind;
    switch (confirmation.kind) {
    case Kind::PathCopied:
        return PreferencesView::tr("Path copied to clipboard");
    case Kind::PermissionsRefreshed:
        return PreferencesView::tr("Permissions refreshed");
    case Kind::FolderCleared:
        return PreferencesView::tr("Folder cleared — please choose a new folder");
    case Kind::UsingFolder:
        return PreferencesView::tr("Using %1")
            .arg(FolderPreferences::displayPath(confirmation.folder, QDir::homePath()));
    }
    return {};
}

} // namespace

QColor PreferencesView::colorFor(int statusColor, const QPalette& palette)
{
    switch (FolderPreferences::StatusColor(statusColor)) {
    case FolderPreferences::StatusColor::Green:
        return PaletteColors::success(palette);
    case FolderPreferences::StatusColor::Red:
        return PaletteColors::failure(palette);
    case FolderPreferences::StatusColor::Secondary:
        break;
    }
    return palette.color(QPalette::PlaceholderText);
}

PreferencesView::PreferencesView(FolderPreferences& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_scroll(new QScrollArea(this))
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_scroll);
    setFixedSize(contentWidth, contentHeight);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocusPolicy(Qt::NoFocus);

    auto* content = new QWidget(m_scroll);
    auto* column = new QVBoxLayout(content);
    column->setSpacing(10);

    auto* section = new QVBoxLayout;
    section->setSpacing(8);
    auto* heading = new QHBoxLayout;
    auto* title = new QLabel(tr("Notes Folder"), content);
    QFont semibold = title->font();
    semibold.setWeight(QFont::DemiBold);
    title->setFont(semibold);
    m_status = new QLabel(content);
    heading->addWidget(title);
    heading->addStretch(1);
    heading->addWidget(m_status);
    section->addLayout(heading);

    auto* pathRow = new QHBoxLayout;
    pathRow->setSpacing(8);
    m_path = new ElidedLabel(content);
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_path->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_choose = new QPushButton(tr("&Choose…"), content);
    m_choose->setAccessibleName(tr("Choose Notes Folder…"));
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_choose);
    section->addLayout(pathRow);
    section->addWidget(divider(content));

    m_actions = new AdaptiveActions(content);
    section->addWidget(m_actions);
    auto* tip = new QLabel(
        tr("Tip: Pick a folder inside your home directory (e.g., ~/Documents/Notes)."), content);
    tip->setWordWrap(true);
    makeSecondary(tip);
    section->addWidget(tip);
    column->addLayout(section);

    m_messageRow = new QWidget(content);
    auto* messageLayout = new QVBoxLayout(m_messageRow);
    messageLayout->setContentsMargins(0, 0, 0, 0);
    messageLayout->addWidget(divider(m_messageRow));
    m_message = new QLabel(m_messageRow);
    makeSecondary(m_message);
    messageLayout->addWidget(m_message);
    m_fade = new QGraphicsOpacityEffect(m_messageRow);
    m_messageRow->setGraphicsEffect(m_fade);
    m_messageRow->hide();
    column->addWidget(m_messageRow);
    // Room to spare goes below the content, never above it.
    column->addStretch(1);
    m_scroll->setWidget(content);

    connect(m_choose, &QPushButton::clicked, &m_model, &FolderPreferences::pickFolder);
    connect(m_actions, &AdaptiveActions::reveal, &m_model, &FolderPreferences::revealFolder);
    connect(m_actions, &AdaptiveActions::copy, &m_model, &FolderPreferences::copyPath);
    connect(m_actions, &AdaptiveActions::refresh, &m_model, &FolderPreferences::refreshPermissions);
    connect(m_actions, &AdaptiveActions::clear, &m_model, &FolderPreferences::clearAndReselect);
    connect(m_actions, &AdaptiveActions::useDefault, &m_model,
            &FolderPreferences::useDefaultFolder);
    connect(&m_model, &FolderPreferences::changed, this, &PreferencesView::refresh);
    refresh();
}

void PreferencesView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_model.checkFolder();
}

void PreferencesView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refresh();
}

void PreferencesView::refresh()
{
    m_status->setText(statusText(m_model));
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, colorFor(int(m_model.statusColor()), this->palette()));
    m_status->setPalette(palette);
    m_path->setFullText(m_model.hasFolder() ? m_model.displayPath() : tr("No folder selected"));
    m_actions->setFolderActionsDisabled(!m_model.hasFolder());

    const bool show = m_model.message().has_value();
    if (show)
        m_message->setText(confirmationText(*m_model.message()));
    if (show == m_messageRow->isVisible())
        return;
    m_messageRow->setVisible(true);
    auto* fade = new QPropertyAnimation(m_fade, "opacity", this);
    fade->setDuration(180);
    fade->setStartValue(show ? 0.0 : 1.0);
    fade->setEndValue(show ? 1.0 : 0.0);
    if (!show)
        connect(fade, &QPropertyAnimation::finished, m_messageRow, &QWidget::hide);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}
