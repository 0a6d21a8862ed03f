#include "EditorFactory.h"

#include "CVSTEditor.h"

AEffEditor* createEditor(CTarvelleVST* effect)
{
    return new CVSTEditor(effect);
}
