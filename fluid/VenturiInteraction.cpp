#include "fluid/VenturiInteraction.h"

VenturiInteraction::VenturiInteraction() {
    setModelName("Venturi");
    inverseRT.tie1(rtVar);
    logV.tie1(volumeVar);
    logV.set_scalars3(1.0, 0.0, 0.0);
    product.tie2(compositionSum, logV);
    Product* top = new Product();
    top->tie2(inverseRT, product);
    root = top;
}

VenturiInteraction::~VenturiInteraction() {
    // The root was created on its own: it goes first, while the member nodes
    // it links are still alive.
    delete root;
    root = nullptr;
}

void VenturiInteraction::number_of_components(int n) {
    Interaction::number_of_components(n);
    if (n < 1) return;
    coefficients.assign(static_cast<std::size_t>(n), 0.0);
    rtVar.index = 0;
    rtVar.set_scalars2(R, 0.0);
    volumeVar.index = 1;
    volumeVar.set_scalars2(1.0, 0.0);
    compositionSum.defineXVariables(2, n);
    root->number_of_variables(n + 2);
    root->analyze_dependencies();
}

void VenturiInteraction::calculate_fixed_parameters() {
    for (int i = 0; i < component_count; i++) compositionSum.a[i] = coefficients[i];
    inverseRT.set_scalars1(0.5 * speed * speed);
}
