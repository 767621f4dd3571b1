#pragma once
#include "framework/layout/LayoutContext.h"
#include "framework/layout/LayoutParser.h"
#include "framework/layout/LayoutRegistry.h"
#include "framework/ui/Form.h"

#include <string>
#include <vector>

// Builds a form from a layout text: makes the components, sets their properties, binds the
// form's fields, and ends the loading of every component (Loaded) once all are read.
class TLayoutReader {
public:
    TLayoutReader(TForm& form, std::string layoutName);
    void Read(const std::string& text);

private:
    enum class TPropertyFilter { All, ParentOnly, ExceptParent };
    void ReadForm(const TLayoutBlock& block);
    TComponent* ReadComponent(const TLayoutBlock& block);
    void ApplyProperties(TComponent& target, const TLayoutKind& kind, const TLayoutBlock& block,
                         TPropertyFilter filter);

    TForm& form_;
    TLayoutContext context_;
    std::vector<TComponent*> loading_;
};

// Builds the form from a layout text (CP932), then runs its OnCreate; layoutName names the
// layout in error messages. Raises ELayoutError.
void ReadLayout(TForm& form, const std::string& text, const std::string& layoutName);
// The same from the layout resource of type "LAYOUT" with this name in the program's module.
void ReadLayoutResource(TForm& form, const char* name);
