// Gives a control of the calibrator's windows its control id as its object
// name, by which tests and the windows' glue find it.
#pragma once

template <typename T> T* Named(T* widget, const char* id) {
    widget->setObjectName(id);
    return widget;
}
