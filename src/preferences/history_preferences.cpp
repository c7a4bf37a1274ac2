#include "preferences/history_preferences.h"

#include "folder/app_settings.h"
#include "store/history.h"
#include "views/alert_service.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QString daysKey = QStringLiteral("history/days");
const QString megabytesKey = QStringLiteral("history/megabytes");
constexpr qint64 megabyte = 1024 * 1024;

} // namespace

HistoryStore::Limits HistoryPreferences::storedLimits()
{
    HistoryStore::Limits limits;
    limits.days = qBound(1, AppSettings::value(daysKey, limits.days).toInt(), 3650);
    // Every version is kept for a month, or for as long as versions are kept at all.
    limits.everyVersionDays = qMin(limits.everyVersionDays, limits.days);
    limits.maxBytes =
        qBound(10, AppSettings::value(megabytesKey, int(limits.maxBytes / megabyte)).toInt(),
               100000) *
        megabyte;
    return limits;
}

HistoryPreferences::HistoryPreferences(History& history, AlertService& alerts, QWidget* parent)
    : QWidget(parent), m_history(history), m_alerts(alerts), m_days(new QSpinBox(this)),
      m_megabytes(new QSpinBox(this)), m_clear(new QPushButton(tr("Clear &History…"), this)),
      m_message(new QLabel(this))
{
    const HistoryStore::Limits limits = storedLimits();
    auto* form = new QFormLayout(this);
    form->setContentsMargins(20, 8, 20, 16);
    auto* heading = new QLabel(tr("<b>History</b>"), this);
    form->addRow(heading);
    auto* explained = new QLabel(tr("Every version of each note is kept for 30 days, then one a "
                                    "day. Versions are kept outside the notes folder."),
                                 this);
    explained->setWordWrap(true);
    form->addRow(explained);

    m_days->setRange(1, 3650);
    // The unit agrees with the number shown: " day" after a 1, " days" after more.
    connect(m_days, &QSpinBox::valueChanged, this,
            [this](int days) { m_days->setSuffix(tr(" days", nullptr, days)); });
    m_days->setValue(limits.days);
    m_days->setSuffix(tr(" days", nullptr, limits.days));
    m_days->setAccessibleName(tr("Keep versions for"));
    form->addRow(tr("Keep versions for:"), m_days);

    m_megabytes->setRange(10, 100000);
    m_megabytes->setSingleStep(100);
    m_megabytes->setSuffix(tr(" MB"));
    m_megabytes->setValue(int(limits.maxBytes / megabyte));
    m_megabytes->setAccessibleName(tr("Largest size of the history"));
    form->addRow(tr("At most:"), m_megabytes);

    auto* clearRow = new QHBoxLayout;
    clearRow->addWidget(m_clear);
    clearRow->addWidget(m_message, 1);
    form->addRow(clearRow);

    connect(m_days, &QSpinBox::editingFinished, this, &HistoryPreferences::apply);
    connect(m_megabytes, &QSpinBox::editingFinished, this, &HistoryPreferences::apply);
    connect(m_clear, &QPushButton::clicked, this, &HistoryPreferences::clear);
}

void HistoryPreferences::apply()
{
    AppSettings::setValue(daysKey, m_days->value());
    AppSettings::setValue(megabytesKey, m_megabytes->value());
    m_history.setLimits(storedLimits());
}

void HistoryPreferences::clear()
{
    if (!m_alerts.showText(tr("Clear the history of every note in this folder?"),
                           tr("Earlier versions and deleted notes kept in the history can’t be "
                              "brought back afterwards. The notes themselves stay as they are."),
                           AlertService::Style::Warning, {tr("Clear History"), tr("Cancel")}))
        return;
    m_message->setText(m_history.clear() ? tr("The history was cleared.")
                                         : tr("The history couldn’t be cleared."));
}
