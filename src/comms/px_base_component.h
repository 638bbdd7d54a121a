// What every Px component shares: turning negative results of the lower layers
// into exceptions, except while the component is being destroyed.
#pragma once

#include "common/px_errors.h"

namespace px {

class TPxBaseComponent {
public:
    virtual ~TPxBaseComponent() = default;

protected:
    // Raises the exception of a negative result; passes others through.
    int check(int result) const;
    bool destroying() const { return destroying_; }
    void setDestroying() { destroying_ = true; }
    // While a window loads the component's stored settings, results are only
    // returned, never raised.
    bool loading() const { return loading_; }
    void setLoadingState(bool on) { loading_ = on; }

private:
    bool destroying_ = false;
    bool loading_ = false;
};

}  // namespace px
