// Deterministic 2D noise for the world's shapes and textures: hashed lattice gradients,
// fractal sums, and periodic variants for tileable pictures. Pure functions of their inputs.
#pragma once

#include <cstdint>

// Gradient noise in about [-1, 1], smooth, zero at lattice points.
double gradientNoise(double x, double y, uint32_t seed);
// The same, repeating every period lattice cells in x and y.
double periodicNoise(double x, double y, int period, uint32_t seed);
// Sum of octaves, each twice the frequency and gain times the amplitude of the one before.
double fbm(double x, double y, int octaves, uint32_t seed, double gain = 0.5);
double periodicFbm(double x, double y, int period, int octaves, uint32_t seed, double gain = 0.5);
// Sharp-crested ridges in [0, 1] (rock and mountain crests).
double ridged(double x, double y, int octaves, uint32_t seed);
// Cellular noise repeating every period cells: one feature point a cell, jittered; f1 and f2
// are the distances (in cells) to the nearest and the second nearest. f2 - f1 is zero on the
// borders between neighbouring points' regions, so it draws a joined network of lines.
struct CellDistances {
    double f1 = 0, f2 = 0;
};
CellDistances periodicCells(double x, double y, int period, uint32_t seed);
// A 1D periodic noise over an angle (radians), for coastlines around a centre.
double angularNoise(double angle, int cells, int octaves, uint32_t seed);

// Hash of lattice coordinates and a seed, uniform over 32 bits.
uint32_t hash3(int32_t x, int32_t y, uint32_t seed);
double smoothstep(double edge0, double edge1, double x);
double mix(double a, double b, double t);
