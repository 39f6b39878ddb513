// The ML texts tolq writes for the simulation of a one-page net with plain
// places: page record types and state creators, and per transition its
// occurrence, enabling, binding and output functions. The tests build them
// from a small description and replay them to the evaluator.
#pragma once

#include <string>
#include <vector>

namespace tolq::test::evalsim {

struct Place {
    std::string ml;
    std::string cs;
    bool timed = false;
    bool has_marking = true; // its initial marking function TOLQ'IM<ml> exists
};

struct Arc {
    std::string ml;
    std::string af;    // the arc function TOLQ'AF<af>
    std::string place; // ML name of the place
    bool input = true;
    std::string expr;
    int token_type = 2;        // 1 multiset, 2 single token
    bool not_constant = true;  // flag 0x100 of an input arc
    bool timed = false;        // flag 0x2
};

struct Var {
    std::string name;
    std::string cs;
    unsigned bits = 0;
};

struct Transition {
    std::string ml;
    std::string guard;
    bool guard_list = false;
    std::vector<Arc> arcs;
    std::vector<Var> vars = {}; // the variable table, in table order
    bool timed = false;
};

struct Page {
    std::string ml;
    std::vector<Place> places;
    bool time_colour_set = false; // a colour set named TIME is declared
};

const Place& place_of(const Page& page, const std::string& ml);

// The place-state types and creators, one text each, and the
// transition-state type and creator over the arcs of the transitions.
std::vector<std::string> page_types(const Page& page);
std::vector<std::string> page_states(const Page& page);
std::vector<std::string> transition_states(const Page& page, const std::vector<Transition>& ts);

// " {x=($(x)),\n...} " over the variables the selector picks, or " _ ".
std::string var_pattern(const Transition& t, int selector);

std::string occurrence_function(const Page& page, const Transition& t); // TOLQ'CF
std::string enabling_block(const Page& page, const Transition& t);      // TOLQ'CCF, TOLQ'CB
std::string arc_change_function(const Page& page, const Transition& t); // TOLQ'ACAF
std::string output_function(const Page& page, const Transition& t);     // TOLQ'OF
// The binding function of a transition with variables, through entry e.
std::string binding_function(const Page& page, const Transition& t, const std::string& entry,
                             bool fast = false);
// The binding function of a transition without variables.
std::string var_free_binding_function(const Page& page, const Transition& t, bool fast = false);

// The input places of t in the order of its shared entry's place list.
std::vector<std::string> entry_places(const Transition& t);
std::string bind_tab_init(const Transition& t, const std::string& entry);

} // namespace tolq::test::evalsim
