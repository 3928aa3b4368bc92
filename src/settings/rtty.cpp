#include "settings/rtty.h"

#include "resources/ids.h"

namespace zt {

const RttyBox kRttyBoxes[kRttyBoxCount] = {
    {ids::kRttyEnable, 0x80, "enable"},   {ids::kRttyDiddle, 0x40, "diddle"},
    {ids::kRttyFskMap, 0x20, "fsk_map"},  {ids::kRttyAutoCrlf, 0x10, "auto_crlf"},
    {ids::kRttyReverse, 0x04, "reverse"},
};

const char* const kRttyBaudNames[4] = {"45.45", "50", "75", "100"};

const RttyList kRttyLists[kRttyListCount] = {
    {ids::kRttyStopBits, 0x08, {"2.0", "1.5"}, "stop_bits"},
    {ids::kRttyDiddleIs, 0x04, {"Blank", "Ltrs"}, "diddle_is"},
    {ids::kRttyUsos, 0x01, {"Off", "On"}, "usos"},
};

}  // namespace zt
