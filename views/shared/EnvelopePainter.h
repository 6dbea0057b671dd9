// Drawing a time curve's per-pixel-column envelope: a vertical line over
// each column's extremes and the lines joining neighbouring points.
#pragma once

class CCurveEnvelope;
class CCurveSeries;
class QPainter;

// The envelope's segments touching pixels fromX .. toX, in the painter's pen.
void PaintEnvelope(QPainter& painter, const CCurveEnvelope& envelope, const CCurveSeries& curve, int fromX,
                   int toX);
