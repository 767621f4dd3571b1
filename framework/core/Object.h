#pragma once
// Root of the toolkit's class tree: senders of events, owners and owned objects are TObjects.

class TObject {
public:
    virtual ~TObject() = default;
    // The class's name as messages show it ("TBitmap").
    virtual const char* ClassName() const { return "TObject"; }

protected:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
};

#define ZA2_CLASS_NAME(Name) \
    const char* ClassName() const override { return #Name; }
