// The folder where the demo line's remote machine keeps the faxes it
// receives: "fax-0001.tif" with its call report "fax-0001.json", numbered on
// from the highest number already there, so that earlier runs stay.
#pragma once

#include <string>

namespace px {

class DemoInbox {
public:
    // Creates the folder with its parents. Throws std::runtime_error.
    explicit DemoInbox(std::string dir);

    const std::string& dir() const { return dir_; }
    // The path without extension of the next fax: "DIR/fax-0007".
    std::string nextBase();

private:
    std::string dir_;
    int last_ = 0;
};

// The number in a name of the form "fax-NNNN.ext", or 0.
int inboxNumber(const std::string& fileName);

}  // namespace px
