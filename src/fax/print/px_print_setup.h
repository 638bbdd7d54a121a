// The print set-up a printer shows when asked: the windowed one lives above
// this layer; without one, print set-up does nothing.
#pragma once

class QPrinter;

namespace px {

class TPxPrintSetupPrompt {
public:
    virtual ~TPxPrintSetupPrompt() = default;
    // Lets the user configure `printer` and choose pages within
    // 1..pageCount, starting from first..last; false when cancelled.
    virtual bool execute(QPrinter& printer, unsigned pageCount, unsigned& first,
                         unsigned& last) = 0;
};

}  // namespace px
