// What the course detail window reads from the window that opened it (the
// operation and the lesson chosen) and writes back (whether it saved).
#pragma once

#include "Syori.h"

class KouzaDetailOpener {
public:
    virtual ~KouzaDetailOpener() = default;
    // The cmdOK button last pressed: add, copy or edit.
    virtual Syori propSyoriID() const = 0;
    // 毎講座ID of the lesson to copy or edit; 0 when adding.
    virtual int propMaiKouzaID() const = 0;
    // True when the detail window saved, false when it was closed without saving.
    virtual void setPropOK(bool ok) = 0;
};
