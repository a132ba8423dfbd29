// How lines and markers look, from the host's style table: style_table.js
// is made by the figure server from the table the host's renderer draws
// exported pictures from, so the page and an export agree. It gives the
// size of a point, the dash pattern of each LineStyle, how strokes join,
// the shape of each Marker and the default sizes of each object type.
import TABLE from './style_table.js';
import { nums } from './tree.js';

// Pixels per point: line widths, marker and font sizes are in points.
export const PT = TABLE.pixelsPerPoint;

// How the segments of lines and patch edges ('line') and of marker
// outlines ('marker') meet, as a canvas's lineJoin.
export const JOIN = TABLE.join;

// A size property of an object (LineWidth, MarkerSize, FontSize) in
// points: its value, or the host's default for its type.
export function sizeOf(o, name) {
  return nums(o.props[name])[0] ?? TABLE.sizes[o.type]?.[name];
}

// The dash pattern of a LineStyle for a stroke widthPx wide, in pixels:
// [] for a solid line, null for 'none' (no line). The dashes grow with the
// width, so that every style looks alike at every width.
export function dashOf(style, widthPx) {
  if (!Object.hasOwn(TABLE.dashes, style)) return null;
  const unit = Math.max(widthPx, TABLE.minDashUnit);
  return TABLE.dashes[style].map((d) => d * unit);
}

// The shape of a Marker value ({paint, parts}), or null for 'none'.
// paint: 'filled' (face fills, edge strokes), 'open' (strokes alone) or
// 'dot' (filled with the edge colour, or the face's without an edge).
export function markerShape(name) {
  return Object.hasOwn(TABLE.markers, name) ? TABLE.markers[name] : null;
}

// Adds one marker to the context's path, centred on (x, y), sizePx across.
export function addMarker(ctx, shape, x, y, sizePx) {
  const r = sizePx * TABLE.markerUnit;
  for (const part of shape.parts) {
    if (part.circle !== undefined) {
      const R = part.circle * r;
      ctx.moveTo(x + R, y);
      ctx.arc(x, y, R, 0, 2 * Math.PI);
      ctx.closePath();
    } else if (part.rect) {
      const [[u, v], [w, h]] = part.rect;
      ctx.rect(x + u * r, y + v * r, w * r, h * r);
    } else if (part.polygon) {
      part.polygon.forEach(([u, v], i) => ctx[i ? 'lineTo' : 'moveTo'](x + u * r, y + v * r));
      ctx.closePath();
    } else {
      const s = part.strokes;
      for (let i = 0; i + 1 < s.length; i += 2) {
        ctx.moveTo(x + s[i][0] * r, y + s[i][1] * r);
        ctx.lineTo(x + s[i + 1][0] * r, y + s[i + 1][1] * r);
      }
    }
  }
}
