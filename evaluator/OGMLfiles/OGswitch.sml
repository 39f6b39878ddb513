(* Loaded when the occurrence-graph tool is entered: binds the library to the
 * simulator's net and starts the graph from the present state. *)
OG'menu.Init ();
