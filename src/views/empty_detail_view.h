#pragma once

#include <QLabel>

// Fills the detail column while no note is selected.
class EmptyDetailView : public QLabel
{
    Q_OBJECT

public:
    explicit EmptyDetailView(QWidget* parent = nullptr);
};
