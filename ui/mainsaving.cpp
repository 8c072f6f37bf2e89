// What the main window writes before the program ends.
#include "ui/mainform.h"

#include "ui/tallylistform.h"

void Tmain::saveSettingsAndTally()
{
    saveinifile();
    if (auto *tally = qobject_cast<Ttallylist *>(tallylist_))
        tally->saveTally();
}
