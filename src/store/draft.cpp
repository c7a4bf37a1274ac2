#include "store/draft.h"

bool Draft::isUnsaved() const
{
    // Texts are equal under Unicode canonical equivalence.
    if (base.hasContent(text))
        return false;
    return text.normalized(QString::NormalizationForm_C) !=
           base.content().normalized(QString::NormalizationForm_C);
}
