#include "framework/Persistent.h"

#include "framework/Exception.h"
#include "framework/FrameworkStrings.h"

void TPersistent::Assign(TPersistent* source)
{
    if (!source)
        AssignError(nullptr);
    source->AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest)
{
    dest.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    throw EAssignError(SCannotAssign, {source ? source->ClassName() : "nil", ClassName()});
}
