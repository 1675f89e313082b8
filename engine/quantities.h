// The real quantities the engine gives per wavenumber, in one table: the
// gateways take their names (R, dR, nR, the fields of a merit's weights)
// and the toolbox's lists are held to it by a test (tests/quantity_table_test.cpp).
#pragma once

namespace coat {

// The power reflectance, transmittance and absorptance, and d/domega,
// d2/domega2, d3/domega3 of arg r and of arg t.
enum Quantity {
    QUANTITY_R,
    QUANTITY_T,
    QUANTITY_A,
    QUANTITY_GD,
    QUANTITY_GDD,
    QUANTITY_TOD,
    QUANTITY_GDT,
    QUANTITY_GDDT,
    QUANTITY_TODT,
    QUANTITY_COUNT
};

struct QuantityInfo {
    const char* name;
    const char* unit;   // "" for a ratio of powers
    int jetOrder;       // the order of the jets in k it needs
    bool transmission;  // whether it needs the transmitted wave
};

inline constexpr QuantityInfo QUANTITIES[QUANTITY_COUNT] = {
    {"R", "", 0, false},      {"T", "", 0, true},        {"A", "", 0, true},
    {"GD", "fs", 1, false},   {"GDD", "fs^2", 2, false}, {"TOD", "fs^3", 3, false},
    {"GDt", "fs", 1, true},   {"GDDt", "fs^2", 2, true}, {"TODt", "fs^3", 3, true}};

inline int jetOrderOf(int quantity) { return QUANTITIES[quantity].jetOrder; }
inline bool needsTransmission(int quantity) { return QUANTITIES[quantity].transmission; }

}  // namespace coat
