# Read by CTest after a test program's discovered tests (VARNOK_COST_TESTS
# holds their names): the tests that run for ten seconds or more get a cost,
# about their run time in seconds on one core in the slower of the optimised
# build and the sanitizer build, and a parallel run starts them first, so
# that no long test starts last and leaves the other cores idle while it
# ends.  The figures order the tests only; a test missing here runs after
# them, in the order of its program.
set(_varnok_costs
  "^Table/ModelAccuracyReadmeRows\\." 60
  "^DilutePhaseSweep/DiluteBinarySweep\\." 45
  "^RootBranchSweep\\.CriticalPointsFromCallersStarts" 80
  "^RootBranchSweep\\." 30
  "^VolatileCalc\\.(IsobarAndIsothermFiles|RangeEnds)" 40
  "^CriticalPoints\\.EveryPointCalledStable" 45
  "^CriticalSweep\\.KreglewskiCrit" 40
  "^CriticalSweep\\." 10
  "^ModelRangeSweep\\.EveryStateGiven" 30
  "^ModelRangeSweep/PhaseSweepShard\\." 20
  "^JetOracle\\.(RandomGraphs|CompiledPasses)" 30
  "^JetOracle\\." 12
  "^Programs\\.ModelAccuracyRowsAreTheReadmeTable$" 25
  "^CriticalCurvePhase\\." 27
  "^DuanModels\\.TheUntraced" 26
  "^CompositionSweep\\." 15
  "^EveryBinary/CompositionSweep\\." 12
  "^(CommandHistory|SolubilityComparison|CriticalIsotherm|AnderkoSweep|PalliserCallSequences|WaterMagmaSweep|HeavySolutePhase)\\." 11
  "^CurveLimits\\.InterruptsAtRandomMoments" 11
  "^CurveLimits\\.PxIsothermsOfWaterAndCO2(AreWhole|HoldOnlyStable)" 12
  "^(DensityComparisons|SolubilityModel|PalliserInclusionTest|DubessyCurves)\\." 8)
foreach(_t IN LISTS VARNOK_COST_TESTS)
  set(_rest ${_varnok_costs})
  while(_rest)
    list(POP_FRONT _rest _pattern _cost)
    if(_t MATCHES "${_pattern}")
      set_tests_properties("${_t}" PROPERTIES COST ${_cost})
      break()
    endif()
  endwhile()
endforeach()
