#pragma once
// What a run would send to a server, counted from the console's statement trace, and what the
// walk's dates that hold nothing cost.
#include <string>
#include <vector>

namespace dep::bench {

// The whole default run (no compaction) through the console with a trace. Values: round trips
// (statements, begins, commits, rollbacks) and statements sent; the same two for a walk stepping
// one day at a time over the dates that hold nothing (five round trips each: begin, trigger switch,
// grouping query, trigger switch, commit; no query for the next date); those dates.
double Viajes(const std::string& base, const std::string& hasta, std::vector<double>& v);

// Adds one entry dated 01/01/1900 to `base` (a copy of a demo file).
void AsientoDe1900(const std::string& base);

// One date that holds nothing as the walk stepping day by day committed it (begin, trigger
// switch, grouping query, trigger switch, durable commit), `veces` times through the engine on
// `base`. Returns the seconds of one.
double FechaVacia(const std::string& base, int veces);

}  // namespace dep::bench
