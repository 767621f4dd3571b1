#include "framework/ui/FormBindings.h"

#include <algorithm>

bool TFormBindings::BindField(const std::string& name, TComponent* component)
{
    auto it = fields_.find(name);
    if (it == fields_.end())
        return true;
    if (!it->second(component))
        return false;
    boundFields_.push_back(name);
    return true;
}

std::vector<std::string> TFormBindings::UnboundFields() const
{
    std::vector<std::string> missing;
    for (const auto& field : fields_)
        if (std::find(boundFields_.begin(), boundFields_.end(), field.first) == boundFields_.end())
            missing.push_back(field.first);
    return missing;
}
