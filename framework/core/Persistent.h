#pragma once
// Objects that can take over another object's value. Assign asks the destination first; a
// destination that does not know the source asks the source (AssignTo), and when neither knows
// the other the assignment fails with EAssignError ("%s を %s に代入できません").
#include "framework/core/Object.h"

class TPersistent : public TObject {
public:
    ZA2_CLASS_NAME(TPersistent)

    // Takes over source's value. A null source cannot be assigned by default.
    virtual void Assign(TPersistent* source);

protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;

    // Gives this object's value to dest; the default refuses.
    virtual void AssignTo(TPersistent& dest);
    // Raises EAssignError for source (null: "nil") into this object.
    [[noreturn]] void AssignError(const TPersistent* source) const;
};
