#pragma once
// The list forms of a cubic term's per-component setters set_covolume(i, b)
// and set_hard_sphere_diameter(i, sigma): set_covolumes(b0, b1, ...) and
// set_hard_sphere_diameters(s0, s1, ...) set components 0, 1, ... in turn
// (values beyond the component count are ignored by the setters). Term is
// the class that derives from this one and has the two setters.
#include <initializer_list>

template <class Term>
class CovolumeLists {
public:
    void set_covolumes(std::initializer_list<double> bs) {
        int i = 0;
        for (double v : bs) term().set_covolume(i++, v);
    }
    void set_hard_sphere_diameters(std::initializer_list<double> sigmas) {
        int i = 0;
        for (double v : sigmas) term().set_hard_sphere_diameter(i++, v);
    }
    template <typename... Rest>
    void set_covolumes(double b0, Rest... rest) {
        set_covolumes({b0, static_cast<double>(rest)...});
    }
    template <typename... Rest>
    void set_hard_sphere_diameters(double s0, Rest... rest) {
        set_hard_sphere_diameters({s0, static_cast<double>(rest)...});
    }

private:
    Term& term() { return static_cast<Term&>(*this); }
};
