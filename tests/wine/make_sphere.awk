# awk -f make_sphere.awk > sphere.obj
# One OBJ mesh of 200,000 triangles and 100,002 vertices: a sphere of radius
# 100 in 251 rings of 400 segments, beyond what 16-bit indices address, the
# shape of a scanned or sculpted model. The same file every run.
BEGIN {
  rings = 251; segments = 400; radius = 100; pi = atan2(0, -1)
  print "o sphere"
  printf "v 0 %.6f 0\n", radius
  for (r = 1; r < rings; ++r) {
    polar = pi * r / rings
    for (s = 0; s < segments; ++s) {
      azimuth = 2 * pi * s / segments
      printf "v %.6f %.6f %.6f\n", radius * sin(polar) * cos(azimuth), radius * cos(polar),
             radius * sin(polar) * sin(azimuth)
    }
  }
  printf "v 0 %.6f 0\n", -radius
  bottom = 2 + (rings - 1) * segments
  for (s = 0; s < segments; ++s) {
    next_s = (s + 1) % segments
    printf "f 1 %d %d\n", 2 + next_s, 2 + s
    printf "f %d %d %d\n", bottom, bottom - segments + s, bottom - segments + next_s
  }
  for (r = 1; r < rings - 1; ++r) {
    for (s = 0; s < segments; ++s) {
      next_s = (s + 1) % segments
      a = 2 + (r - 1) * segments + s; b = 2 + (r - 1) * segments + next_s
      c = a + segments; d = b + segments
      printf "f %d %d %d\n", a, b, d
      printf "f %d %d %d\n", a, d, c
    }
  }
}
