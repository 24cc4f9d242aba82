#pragma once
// The root of the display-object tree. Scripts address objects by name; events carry their sender.
#include <string>

namespace ruvo {

class TRuvoObject {
public:
    virtual ~TRuvoObject() = default;
    std::string Name;
};

} // namespace ruvo
