// The real quantities the engine gives per wavenumber.
#pragma once

// The quantities a call may ask for, each real and per wavenumber: the power
// reflectance, transmittance and absorptance, and d/domega, d2/domega2,
// d3/domega3 of arg r and of arg t (fs, fs^2, fs^3).
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

// The order of the jets a quantity needs.
inline int jetOrderOf(int quantity)
{
    switch (quantity) {
    case QUANTITY_GD:
    case QUANTITY_GDT: return 1;
    case QUANTITY_GDD:
    case QUANTITY_GDDT: return 2;
    case QUANTITY_TOD:
    case QUANTITY_TODT: return 3;
    default: return 0;
    }
}
// Whether a quantity needs the transmitted wave.
inline bool needsTransmission(int quantity)
{
    return quantity == QUANTITY_T || quantity == QUANTITY_A || quantity >= QUANTITY_GDT;
}
