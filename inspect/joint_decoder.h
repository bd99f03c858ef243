#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "inspect/compound_model.h"

namespace svcmp {

// The record size of a joint list of `kind`.
std::size_t JointRecordSize(JointKind kind);

// Appends the records of a joint list leaf ("Fix", "Rev", "Pris", "Sphere")
// to `joints`. A leaf that is not a whole number of records gives a finding
// under `path`; its whole records are still read.
void DecodeJointList(JointKind kind, std::span<const std::uint8_t> bytes, const std::string& path,
                     std::vector<Joint>& joints, Findings& findings);

}  // namespace svcmp
