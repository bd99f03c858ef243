#pragma once

#include <cstdint>
#include <vector>

#include "format/material_record.h"

// One material of every type the game's files use, with the leaves that
// type's materials carry there, in their order, with values that differ
// from each other and from glTF's defaults.
namespace svcmp::testing {

inline std::vector<MaterialRecord> EveryMaterialType() {
  using V = std::vector<MaterialLeaf>;
  const MaterialColour dc{0.25f, 0.5f, 0.75f};
  const MaterialColour ec{0.125f, 0.375f, 0.625f};
  const MaterialColour ac{1, 1, 1};
  const MaterialLeaf dt{"Dt_name", std::string("hull_a021022095954.tga")};
  const MaterialLeaf dtf{"Dt_flags", std::uint32_t{74}};
  const MaterialLeaf et{"Et_name", std::string("lights.tga")};
  const MaterialLeaf etf{"Et_flags", std::uint32_t{90}};
  const MaterialLeaf bt{"Bt_name", std::string("grime.tga")};
  const MaterialLeaf btf{"Bt_flags", std::uint32_t{80}};
  const MaterialLeaf oc{"Oc", 0.73f};
  const MaterialLeaf flipU{"flip u", 0.0f}, flipV{"flip v", 0.0f};
  return {
      {"plain", "DcDt", V{dt, {"Dt_flags", std::uint32_t{64}}}},
      {"plain_dc", "DcDt", V{{"Dc", dc}, dt, dtf}},
      {"plain_ec", "DcDt", V{dt, dtf, {"Ec", ec}, et, etf}},
      {"glow", "DcDtEc", V{dt, dtf, {"Ec", ec}}},
      {"glass", "DcDtOcOt", V{{"Dc", dc}, dt, dtf, oc}},
      {"glass_no_oc", "DcDtOcOt", V{dt, dtf}},
      {"lit", "DcDtEt", V{dt, dtf, et, etf}},
      {"detail", "DcDtBt", V{dt, dtf, bt, btf}},
      {"detail_glow", "DcDtBtEc", V{dt, dtf, bt, btf, {"Ec", ec}}},
      {"sail", "DcDtTwo", V{{"Dc", dc}, dt, dtf}},
      {"glow_glass", "DcDtEcOcOt", V{{"Ec", ec}, dt, dtf, oc}},
      {"glow_lit", "DcDtEcEt", V{dt, dtf, {"Ec", ec}, et, etf}},
      {"glow_glass_two", "DcDtEcOcOtTwo", V{dt, dtf, {"Ec", ec}, oc}},
      {"nebula", "Nebula", V{dt, dtf, {"Ec", ec}}},
      {"air", "AtmosphereMaterial",
       V{{"Ac", ac},
         {"Alpha", 0.5f},
         {"Dc", MaterialColour{1.25f, 0.5f, 0.25f}},
         dtf,
         dt,
         {"Fade", 1.1f},
         {"Scale", 1.025f}}},
      {"ground", "DetailMapMaterial",
       V{{"Ac", ac},
         {"Dc", dc},
         {"Dm_flags", std::uint32_t{64}},
         {"Dm_name", std::string("rock")},
         dtf,
         {"Dt_name", std::string("planet_base")},
         flipU,
         flipV,
         {"TileRate", 12.0f}}},
      {"masked", "Masked2DetailMapMaterial",
       V{{"Ac", ac},
         {"Dc", dc},
         {"Dm0_flags", std::uint32_t{64}},
         {"Dm0_name", std::string("sand")},
         {"Dm1_flags", std::uint32_t{64}},
         {"Dm1_name", std::string("ice")},
         dtf,
         dt,
         flipU,
         flipV,
         {"TileRate0", 4.0f},
         {"TileRate1", 30.0f}}},
      {"glass_two", "DcDtOcOtTwo", V{{"Dc", dc}, dt, dtf, oc}},
      {"two_pass", "DetailMap2Dm1Msk2PassMaterial",
       V{{"Ac", ac},
         {"Dc", dc},
         {"Dm1_flags", std::uint32_t{64}},
         {"Dm1_name", std::string("moss")},
         dtf,
         dt,
         flipU,
         flipV,
         {"TileRate", 8.0f}}},
      {"detail_glass_two", "DcDtBtOcOtTwo", V{dt, dtf, bt, btf, oc}},
      {"glow_two", "DcDtEcTwo", V{dt, dtf, {"Ec", ec}}},
      {"lit_detail", "IllumDetailMapMaterial",
       V{{"Ac", ac},
         {"Dc", dc},
         {"Dm0_flags", std::uint32_t{64}},
         {"Dm0_name", std::string("lava")},
         {"Dm1_flags", std::uint32_t{64}},
         {"Dm1_name", std::string("ash")},
         dtf,
         dt,
         flipU,
         flipV,
         {"TileRate0", 6.0f},
         {"TileRate1", 9.0f}}},
      {"detail_glass", "DcDtBtOcOt", V{dt, dtf, bt, btf, oc}},
      {"detail_glow_lit", "DcDtBtEcEt", V{dt, dtf, bt, btf, {"Ec", ec}, et, etf}},
      {"lit_two", "DcDtEtTwo", V{dt, dtf, et, etf}},
      {"detail_two", "DcDtBtTwo", V{dt, dtf, bt, btf}},
  };
}

}  // namespace svcmp::testing
