# Read by CTest after a test program's discovered tests (VARNOK_COST_TESTS
# holds their names): the tests that run for tens of seconds in the optimised
# build get a cost, their run time in seconds as measured on one core, and a
# parallel run starts them first, so that no long test starts last and leaves
# the other cores idle while it ends.  The figures order the tests only; a
# test missing here runs after them, in the order of its program.
set(_varnok_costs
  "^DilutePhaseSweep/DiluteBinarySweep\\." 60
  "^Table/ModelAccuracyReadmeRows\\." 50
  "^ModelRangeSweep/PhaseSweepShard\\." 30
  "^Programs\\.ModelAccuracyRowsAreTheReadmeTable$" 20
  "^CriticalSweep\\..*CritAtEveryHundredth" 10
  "^EveryBinary/CompositionSweep\\." 8
  "^RootBranchSweep\\." 6
  "^CompositionSweep\\." 5
  "^CriticalPoints\\.EveryPointCalledStable" 5
  "^CommandHistory\\." 4
  "^CriticalCurvePhase\\." 3
  "^DuanModels\\.TheUntraced" 3
  "^SolubilityComparison\\." 3
  "^CurveLimits\\.InterruptsAtRandomMoments" 2)
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
