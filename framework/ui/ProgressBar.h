#pragma once
// The system's progress bar (common controls) with a range and a position.
#include "framework/ui/Control.h"

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* owner);
    ZA2_CLASS_NAME(TProgressBar)

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMin(int min) { SetRange(min, max_); }
    void SetMax(int max) { SetRange(min_, max); }
    void SetRange(int min, int max);
    // Kept inside the range.
    void SetPosition(int position);
    int Step() const { return step_; }
    void SetStep(int step) { step_ = step; }
    void StepIt() { SetPosition(position_ + step_); }

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int step_ = 10;
};
