#pragma once

class QWidget;

// The layout's metrics are for 96 dots per inch. Scales by `factor` what the layout fixes below
// `root`: fixed and minimum sizes, and the bounds of widgets placed by hand (toolbar buttons,
// the drive box). Only the layout's own containers are entered; the controls inside them size
// their insides themselves.
void ScaleLayout(QWidget* root, double factor);

// A length of the layout at `factor`.
[[nodiscard]] int ScaledLength(int length, double factor);
