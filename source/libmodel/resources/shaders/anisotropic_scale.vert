#version 120

// Pushes the edge vertices of a stroke's triangles out by the stroke's radius
// and by the anti-aliasing feather, and hands each fragment its relative
// distance from the centre line as the length of the interpolated normal.

attribute vec4 posAttr;  // x, y, tangent x, tangent y
attribute vec2 colAttr;  // opacity, radius
attribute vec3 typeAttr; // side code, second tangent x, second tangent y

uniform mat4 projection;
uniform mat4 transform;
uniform float feather;

varying float opacity;
varying float radius;
varying vec2 normal;

vec2 safeNormalize(vec2 v)
{
    float len = length(v);
    return len > 0.0 ? v / len : vec2(0.0);
}

vec2 toTarget(vec2 p)
{
    vec4 q = transform * vec4(p, 0.0, 1.0);
    return q.xy / q.w;
}

// Perpendicular of a stroke direction in target pixels, on the side the side
// code asks for, kept on that side when the transform mirrors.
vec2 targetNormal(vec2 direction, float side)
{
    if (abs(side) < 0.5)
        return vec2(0.0);
    vec2 t = safeNormalize((transform * vec4(direction, 0.0, 0.0)).xy);
    bool mirrors = (transform[0][0] < 0.0) != (transform[1][1] < 0.0);
    bool flip = (side < 0.0) != mirrors;
    return flip ? vec2(-t.y, t.x) : vec2(t.y, -t.x);
}

void main()
{
    opacity = colAttr.x;
    float localRadius = colAttr.y;
    float side = typeAttr.x;
    vec2 centre = posAttr.xy;
    vec2 tangent = safeNormalize(posAttr.zw);
    vec2 secondTangent = safeNormalize(typeAttr.yz);

    vec2 edge = centre;
    if (side > 0.5)
        edge = centre + localRadius * vec2(tangent.y, -tangent.x);
    else if (side < -0.5)
        edge = centre + localRadius * vec2(-tangent.y, tangent.x);

    vec2 n = targetNormal(tangent, side);
    vec2 targetCentre = toTarget(centre);
    vec2 targetEdge = toTarget(edge);

    if (side != 0.0)
        radius = dot(targetEdge - targetCentre, n);
    else
        radius = length((transform * vec4(localRadius, 0.0, 0.0, 0.0)).xy);

    // Rim vertices of a disc take the normal of their triangle's middle, so
    // the distance measured inside the triangle is radial; the vertex itself
    // moves out along its own normal, which the neighbouring triangle shares,
    // so the fan stays closed.
    normal = abs(side) < 0.75 ? targetNormal(secondTangent, side) : n;
    gl_Position = projection * vec4(targetEdge + n * feather, 0.0, 1.0);
}
