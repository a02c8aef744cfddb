#include "mission/logger_type.h"

#include "mission/register_map.h"

namespace frostel::mission {

LoggerType logger_type_from_configuration(link::Byte configuration) {
    switch (configuration) {
        case kConfigurationH:
            return LoggerType::kH;
        case kConfigurationT:
            return LoggerType::kT;
        default:
            return LoggerType::kL;
    }
}

std::string_view type_caption(link::Byte configuration) {
    switch (configuration) {
        case kConfigurationH:
            return "Frostel Type: 140 (15'C to 140'C) - ID:";
        case kConfigurationL:
            return "Frostel Type: 85 (-40'C to 85'C) - ID:";
        default:
            return "Frostel Type: 125 (0'C to 125'C) - ID:";
    }
}

TypeScale type_scale(LoggerType type) {
    switch (type) {
        case LoggerType::kL:
            return {-41.0, 60.0, true};
        case LoggerType::kT:
            return {-1.0, 90.0, true};
        case LoggerType::kH:
            // The "H" data sheet reads raw / 2 + 14; its 16-bit readings take no correction.
            return {14.0, 90.0, false};
    }
    return {-41.0, 60.0, true};
}

}  // namespace frostel::mission
