(* The occurrence-graph library: the net's state cells and transition
 * instances found from the simulation code the switch defined, the graph of
 * reachable markings with its strongly connected components, the standard
 * report, queries on nodes and arcs, and the OG'menu requests of tolq's
 * occurrence-graph tool (calculation, drawing on pages, descriptors). *)

(* ---- the net as the graph sees it ---- *)
structure TolqOGNet =
struct
  structure V = TolqValue

  (* One place state (or the model time): the ref that holds it, and how
   * its value reads as text. *)
  type cell = {name : string, inst : string, cell : V.v ref, timed : bool, isTime : bool,
               text : V.v -> string, elemText : V.v -> string}

  (* One transition instance: its bindings enabled now (none are reserved),
   * the occurrence of one of them, and for timed transitions the earliest
   * time at which one is enabled. *)
  type entry = {name : string, trans : string, inst : string,
                enabled : unit -> V.v list, fire : V.v -> unit, nextTime : unit -> TIME option}

  val cellList : cell list ref = ref []
  val entryList : entry list ref = ref []
  fun addCell (c : cell) = cellList := c :: !cellList
  fun addEntry (e : entry) = entryList := e :: !entryList

  val cells : cell vector ref = ref (Vector.fromList [])
  val entries : entry vector ref = ref (Vector.fromList [])

  (* The transition sequence of the last reset: (display name, transition,
   * instance, page, timed output place). *)
  val seq : (string * string * string * string * bool) list ref = ref []

  fun fail msg = raise Tolq.Error msg
  fun name s = s <> "" andalso CharVector.all TolqText.isIdChar s
  fun quote s = "\"" ^ String.toString s ^ "\""

  fun pretty p =
      let val b = ref [] in PolyML.prettyPrint (fn s => b := s :: !b, 100000) p; String.concat (rev (!b)) end

  (* The fields of a record type's text "{a: t1, b: t2 ...}", each as label
   * and type text. *)
  fun fields (text : string) : (string * string) list =
      let val text = case (CharVector.findi (fn (_, c) => c = #"{") text) of
                       SOME (i, _) => String.extract (text, i + 1, NONE)
                     | NONE => ""
          fun split (chars, depth, cur, acc) =
              case chars of
                [] => rev (implode (rev cur) :: acc)
              | c :: rest =>
                  if (c = #"," orelse c = #"}") andalso depth = 0 then
                    (if c = #"}" then rev (implode (rev cur) :: acc) else split (rest, depth, [], implode (rev cur) :: acc))
                  else if c = #"(" orelse c = #"{" orelse c = #"[" then split (rest, depth + 1, c :: cur, acc)
                  else if c = #")" orelse c = #"}" orelse c = #"]" then split (rest, depth - 1, c :: cur, acc)
                  else split (rest, depth, c :: cur, acc)
          fun field s =
              case String.fields (fn c => c = #":") s of
                l :: t :: rest => SOME (String.concat (String.tokens Char.isSpace l),
                                        String.concatWith ":" (t :: rest))
              | _ => NONE
      in List.mapPartial field (split (explode text, 0, [], [])) end

  fun words s = String.tokens Char.isSpace s

  (* The colour set and timing of a place state's type text "CS ms ref";
   * NONE for the shared states of port places ("CS ms ref ref"). *)
  fun placeType (t : string) : (string * bool) option =
      case words t of
        [cs, "ms", "ref"] => SOME (cs, false)
      | [cs, "tms", "ref"] => SOME (cs, true)
      | _ => NONE

  fun typeText (ty : string) : string =
      case #lookupType PolyML.globalNameSpace ty of
        SOME t => pretty (PolyML.NameSpace.TypeConstrs.print (t, 1000000, SOME PolyML.globalNameSpace))
      | NONE => ""

  fun valueTypeText (v : string) : string =
      case #lookupVal PolyML.globalNameSpace v of
        SOME x => pretty (PolyML.NameSpace.Values.printType
                            (PolyML.NameSpace.Values.typeof x, 1000000, SOME PolyML.globalNameSpace))
      | NONE => ""

  (* The registration of one place state, select being the ML text that
   * names its ref. *)
  fun cellText (label : string, inst : string, select : string, (cs, timed) : string * bool) =
      let val ms = if timed then "mkst_tms'" else "mkst_ms'"
          fun form (text, elem) =
              "val _ = TolqOGNet.addCell {name = " ^ quote label ^ ", inst = " ^ quote inst
              ^ ", cell = RunCall.unsafeCast (" ^ select ^ ") : TolqValue.v ref, timed = "
              ^ Bool.toString timed ^ ", isTime = false, text = " ^ text ^ ", elemText = " ^ elem ^ "};\n"
          val typed = form ("fn TOLQ'x => " ^ ms ^ cs ^ " (TolqValue.cast TOLQ'x)",
                            "fn TOLQ'x => mkst_col'" ^ cs ^ " (TolqValue.cast TOLQ'x)")
          val generic = form ("fn TOLQ'x => PolyML.makestring (if false then !(" ^ select ^ ") else TolqValue.cast TOLQ'x)",
                              "fn _ => \"?\"")
      in ignore (TolqEdit.firstOf [typed, generic]) end

  (* A type text the printer cut short would lose places: refused. *)
  fun whole (text : string) =
      if String.isSubstring "..." text then fail ("The state type cannot be read: " ^ text) else text

  fun instanceCells (inst : string, page : string) =
      List.app (fn (label, t) =>
                   case placeType t of
                     SOME pt => cellText (label, inst, "#" ^ label ^ " TOLQ'PS" ^ inst, pt)
                   | NONE => ())
               (fields (whole (typeText ("TOLQ'PT" ^ page))))

  (* The fusion states TOLQ'FS<s> = {cur = ref ...}, found by name. *)
  fun fusionCells () =
      let val names = List.filter (fn n => String.isPrefix "TOLQ'FS" n andalso name n)
                                  (map #1 (#allVal PolyML.globalNameSpace ()))
      in List.app (fn n =>
                      case List.find (fn (l, _) => l = "cur") (fields (whole (valueTypeText n))) of
                        SOME (_, t) => (case placeType t of
                                          SOME pt => cellText (String.extract (n, 5, NONE), "", "#cur " ^ n, pt)
                                        | NONE => ())
                      | NONE => ())
                  (TolqText.dedup names)
      end

  fun timeCell () : cell =
      {name = "time", inst = "", cell = RunCall.unsafeCast TOLQ'ModelTime, timed = false, isTime = true,
       text = fn x => IntInf.toString (V.cast x), elemText = fn x => IntInf.toString (V.cast x)}

  (* The registration of one transition instance; the forms differ in the
   * answer of the binding function (a list, or a time and a list). *)
  fun entryText (display, t, i, p, timedOut) =
      let val bf = "TOLQ'BF" ^ t ^ "(TOLQ'PS" ^ i ^ ", TOLQ'CrTS" ^ p ^ " (), 99999, TOLQ'EB" ^ t ^ ", "
          val fire = "fn TOLQ'b => let val TOLQ'ts = TOLQ'CrTS" ^ p ^ " () in TOLQ'CF" ^ t ^ " (TOLQ'PS" ^ i
                     ^ ", TOLQ'ts, TolqValue.cast TOLQ'b, true, ()); "
                     ^ (if timedOut then "TOLQ'ACAF" ^ t ^ " (TOLQ'ts, TolqValue.cast TOLQ'b); " else "")
                     ^ "TOLQ'OF" ^ t ^ " (TOLQ'ts, TOLQ'PS" ^ i ^ ", ()) end"
          fun form (enabled, next) =
              "val _ = TolqOGNet.addEntry {name = " ^ quote display ^ ", trans = " ^ quote t ^ ", inst = " ^ quote i
              ^ ", enabled = " ^ enabled ^ ", fire = " ^ fire ^ ", nextTime = " ^ next ^ "};\n"
      in ignore (TolqEdit.firstOf
                   [form ("fn () => map TolqValue.univ (" ^ bf ^ "false, false, ()))", "fn () => NONE"),
                    form ("fn () => map TolqValue.univ (#2 (" ^ bf ^ "false, false, ())))",
                          "fn () => #1 (" ^ bf ^ "true, false, ()))")])
      end

  (* Finds the net: the instances and transitions of the last reset and
   * the fusion states; fails when the simulation code is not there. *)
  fun setup () =
      let val () = cellList := []
          val () = entryList := []
          val () = seq := []
          val () = TolqEdit.define
                     "val _ = TolqOGNet.seq := map (fn (d, t, i, p, _, _, o') => (d, t, i, p, o')) trans_seq;\n"
                   handle e => (TolqCapture.say "\nThe simulator's state is missing: enter the simulator first.\n";
                                raise e)
          val used = List.filter (fn (_, t, i, p, _) => name t andalso name i andalso name p) (!seq)
          val instances = TolqText.dedup (map (fn (_, _, i, p, _) => (i, p)) used)
      in List.app instanceCells instances;
         fusionCells ();
         List.app entryText used;
         cells := Vector.fromList (rev (!cellList) ^^ (if with_time () then [timeCell ()] else []));
         entries := Vector.fromList (rev (!entryList))
      end

  fun cellLabel ({name = n, inst, ...} : cell) = if inst = "" then n else n ^ "(" ^ inst ^ ")"
end

(* ---- the graph ---- *)
structure TolqOG =
struct
  structure V = TolqValue
  structure G = TolqGrow
  structure G32 = TolqGrow32
  structure X = TolqIndex
  structure N = TolqOGNet

  (* Options, set by the OGSet functions. *)
  val maxNodes = ref (getOpt (Int.maxInt, 1073741823))
  val maxArcs = ref (getOpt (Int.maxInt, 1073741823))
  val maxSecs = ref 300
  val maxBindings = ref 0     (* per transition instance and node; 0 = all *)
  val maxShown = ref 0        (* successors or predecessors drawn at once; 0 = all *)
  val emptyPlaces = ref false (* node descriptors list empty places too *)
  val showBinding = ref true  (* arc descriptors show the binding *)
  val inspect = ref 10        (* nodes listed per property in the report *)
  val textLength = ref 80     (* marking texts in descriptors are cut here *)
  val nodeSize = ref (40, 30)
  val descriptorSize = ref (160, 60)
  val arcWidth = ref 1

  (* Interned place states: per cell its distinct values. *)
  type intern = {values : V.v G.t, index : X.t}
  val interns : intern vector ref = ref (Vector.fromList [])

  (* Nodes: the key of each (the interned states, packed), its arcs once
   * its successors are calculated (first arc and count; ~1 before). *)
  val keys : string G.t = G.new ""
  val nodeIndex = ref (X.new ())
  val outStart : G32.t = G32.new ()
  val outCount : G32.t = G32.new ()
  (* Arcs: source, destination, transition instance, binding position. *)
  val arcSrc : G32.t = G32.new ()
  val arcDst : G32.t = G32.new ()
  val arcEntry : G32.t = G32.new ()
  val arcBind : G32.t = G32.new ()

  val stopped = ref false
  val genSecs = ref 0
  val ready = ref false

  fun nodes () = G.length keys
  fun arcs () = G32.length arcSrc
  fun processed n = G32.sub (outStart, n) >= 0

  fun fail msg = raise Tolq.Error msg

  (* ---- keys ---- *)

  fun canonical (c : N.cell, x : V.v) : V.v =
      if #isTime c then x
      else let val l : (V.v * V.v) list = V.cast x
               fun gt (a, b) = V.cmp (V.univ a, V.univ b) = GREATER
               fun sorted (a :: (rest as b :: _)) = not (gt (a, b)) andalso sorted rest
                 | sorted _ = true
           in if sorted l then x else V.univ (TolqSort.sort gt l) end

  fun internValue (k : int, x : V.v) : int =
      let val {values, index} = Vector.sub (!interns, k)
          val x = canonical (Vector.sub (!N.cells, k), x)
          val h = V.hash x
      in case X.find (index, h, fn i => V.eq (G.sub (values, i), x)) of
           SOME i => i
         | NONE => (G.push (values, x); X.add (index, h))
      end

  val buffer = ref (CharArray.array (256, #"\000"))

  fun putVarint (pos : int, n : int) : int =
      (if pos + 10 > CharArray.length (!buffer) then
         let val b = CharArray.array (2 * CharArray.length (!buffer), #"\000")
         in CharArray.copy {src = !buffer, dst = b, di = 0}; buffer := b end
       else ();
       if n < 128 then (CharArray.update (!buffer, pos, Char.chr n); pos + 1)
       else (CharArray.update (!buffer, pos, Char.chr (128 + n mod 128)); putVarint (pos + 1, n div 128)))

  (* The key of the simulator's present state. *)
  fun snapshot () : string =
      let val cells = !N.cells
          fun go (k, pos) =
              if k >= Vector.length cells then pos
              else go (k + 1, putVarint (pos, internValue (k, !(#cell (Vector.sub (cells, k))))))
          val len = go (0, 0)
      in CharArraySlice.vector (CharArraySlice.slice (!buffer, 0, SOME len)) end

  (* The interned state numbers of a key, in cell order. *)
  fun decode (key : string) : int list =
      let fun go (pos, acc) =
              if pos >= size key then rev acc
              else let fun num (p, mult, n) =
                               let val c = Char.ord (String.sub (key, p))
                               in if c < 128 then (p + 1, n + c * mult) else num (p + 1, mult * 128, n + (c - 128) * mult) end
                       val (p, n) = num (pos, 1, 0)
                   in go (p, n :: acc) end
      in go (0, []) end

  fun valueAt (k, i) = G.sub (#values (Vector.sub (!interns, k)), i)

  (* The interned state numbers of a key as an array. *)
  fun decodeArray (key : string) : int array =
      let val ids = Array.array (Vector.length (!N.cells), 0)
          fun go (pos, k) =
              if pos >= size key orelse k >= Array.length ids then ()
              else let fun num (p, mult, n) =
                               let val c = Char.ord (String.sub (key, p))
                               in if c < 128 then (p + 1, n + c * mult) else num (p + 1, mult * 128, n + (c - 128) * mult) end
                       val (p, n) = num (pos, 1, 0)
                   in Array.update (ids, k, n); go (p, k + 1) end
      in go (0, 0); ids end

  (* The key of the simulator's state after an occurrence in the state of
   * ids: cells still holding the value put there keep their number, so
   * only changed cells are interned. *)
  fun snapshotFrom (ids : int array) : string =
      let val cells = !N.cells
          fun go (k, pos) =
              if k >= Vector.length cells then pos
              else
                let val x = !(#cell (Vector.sub (cells, k)))
                    val i = Array.sub (ids, k)
                    val id = if PolyML.pointerEq (x, valueAt (k, i)) then i else internValue (k, x)
                in go (k + 1, putVarint (pos, id)) end
          val len = go (0, 0)
      in CharArraySlice.vector (CharArraySlice.slice (!buffer, 0, SOME len)) end

  (* Puts a state, as interned numbers, into the simulator's cells. *)
  fun restoreIds (ids : int array) =
      let val cells = !N.cells
      in Array.appi (fn (k, i) => #cell (Vector.sub (cells, k)) := valueAt (k, i)) ids end

  (* Puts the state of a key into the simulator's cells. *)
  fun restore (key : string) = restoreIds (decodeArray key)

  fun keyHash (s : string) : word =
      CharVector.foldl (fn (c, h) => Word.* (Word.xorb (h, Word.fromInt (Char.ord c)), 0w1099511628211))
                       0w1469598103934665603 s

  fun findNode (key : string) : int option =
      X.find (!nodeIndex, keyHash key, fn n => G.sub (keys, n) = key)

  (* The node of a key, added when new; true when it was added. *)
  fun addNode (key : string) : int * bool =
      case findNode key of
        SOME n => (n, false)
      | NONE => (G.push (keys, key); G32.push (outStart, ~1); G32.push (outCount, 0);
                 (X.add (!nodeIndex, keyHash key), true))

  (* ---- the graph's life ---- *)

  fun clear () =
      (G.clear keys; G32.clear outStart; G32.clear outCount;
       G32.clear arcSrc; G32.clear arcDst; G32.clear arcEntry; G32.clear arcBind;
       nodeIndex := X.new (); stopped := false; genSecs := 0)

  (* Binds the net and starts the graph with the simulator's present state
   * as node 1. *)
  fun init () =
      (ready := false;
       N.setup ();
       interns := Vector.tabulate (Vector.length (!N.cells), fn _ => {values = G.new V.V, index = X.new ()});
       clear ();
       ignore (addNode (snapshot ()));
       ready := true)

  fun needReady () = if !ready then () else fail "The occurrence graph has not been entered."

  (* Runs f with the simulator's state kept: generation moves tokens in the
   * simulator's own cells. Printing of bindings is off, and so is the
   * random order of a fair simulation (arcs remember binding positions). *)
  fun keepingState f =
      let val saved = snapshot ()
          val print' = !TOLQ'ValuePrint
          val fair = !TolqSimState.Fair
          fun back () = (restore saved; TOLQ'ValuePrint := print'; TolqSimState.Fair := fair)
      in TOLQ'ValuePrint := false; TolqSimState.Fair := false;
         (f () before back ()) handle e => (back (); raise e)
      end

  fun limit l = if !maxBindings > 0 andalso length l > !maxBindings then List.take (l, !maxBindings) else l

  (* The enabled bindings of every transition instance in the state of
   * key, and the time they occur at: in a timed net with none enabled now
   * the clock moves to the next time at which some binding is. *)
  fun enabledAt (ids : int array) : TIME option * (int * V.v list) list =
      let val es = !N.entries
          fun all at = (restoreIds ids;
                        case at of SOME s => TOLQ'ModelTime := s | NONE => ();
                        List.tabulate (Vector.length es, fn e => (e, limit (#enabled (Vector.sub (es, e)) ()))))
          val now = all NONE
      in if List.exists (fn (_, l) => not (null l)) now orelse not (with_time ()) then (NONE, now)
         else
           let val () = restoreIds ids
               val t = time ()
               fun later (e : N.entry, best) =
                   case (#nextTime e (), best) of
                     (SOME s, NONE) => if IntInf.> (s, t) then SOME s else best
                   | (SOME s, SOME b) => if IntInf.> (s, t) andalso IntInf.< (s, b) then SOME s else best
                   | _ => best
           in case Vector.foldl later NONE es of
                NONE => (NONE, now)
              | next => (next, all next)
           end
      end

  (* Calculates the successors of node n (once): every enabled binding
   * occurs in n's state and gives an arc to the node of the state after. *)
  fun expand (n : int) =
      if processed n then ()
      else
        let val ids = decodeArray (G.sub (keys, n))
            val first = arcs ()
            val es = !N.entries
            val (at, enabled) = enabledAt ids
            fun occur (e, l) =
                List.foldl (fn (b, k) =>
                               (restoreIds ids;
                                case at of SOME s => TOLQ'ModelTime := s | NONE => ();
                                #fire (Vector.sub (es, e)) b;
                                let val (d, _) = addNode (snapshotFrom ids)
                                in G32.push (arcSrc, n); G32.push (arcDst, d); G32.push (arcEntry, e); G32.push (arcBind, k) end;
                                k + 1)) 0 l
        in List.app (ignore o occur) enabled;
           G32.update (outStart, n, first);
           G32.update (outCount, n, arcs () - first)
        end

  (* Successors of node n, as (arc, destination). *)
  fun succArcs n =
      if processed n then List.tabulate (G32.sub (outCount, n), fn i => G32.sub (outStart, n) + i) else []

  (* ---- predecessors, built when asked for ---- *)
  val predFor = ref ~1
  val predStart : int array ref = ref (Array.array (0, 0))
  val predArcs : int array ref = ref (Array.array (0, 0))

  fun buildPreds () =
      if !predFor = arcs () andalso Array.length (!predStart) = nodes () + 1 then ()
      else
        let val nn = nodes ()
            val count = Array.array (nn + 1, 0)
            val () = G32.app (fn d => Array.update (count, d + 1, Array.sub (count, d + 1) + 1)) arcDst
            val () = Array.appi (fn (i, _) => if i > 0 then Array.update (count, i, Array.sub (count, i) + Array.sub (count, i - 1)) else ()) count
            val fill = Array.tabulate (nn + 1, fn i => Array.sub (count, i))
            val list = Array.array (arcs (), 0)
        in G32.appi (fn (a, d) => (Array.update (list, Array.sub (fill, d), a); Array.update (fill, d, Array.sub (fill, d) + 1))) arcDst;
           predStart := count; predArcs := list; predFor := arcs ()
        end

  fun predArcsOf n =
      (buildPreds ();
       List.tabulate (Array.sub (!predStart, n + 1) - Array.sub (!predStart, n), fn i => Array.sub (!predArcs, Array.sub (!predStart, n) + i)))

  (* ---- generation ---- *)

  fun full () = !ready andalso not (!stopped) andalso
                let fun all n = n >= nodes () orelse (processed n andalso all (n + 1)) in all 0 end

  (* Calculates successors until every node has them or a stop option
   * holds. *)
  fun generate () =
      let val () = needReady ()
          val start = Time.now ()
          fun secs () = Int.fromLarge (Time.toSeconds (Time.- (Time.now (), start)))
          fun stop () = nodes () >= !maxNodes orelse arcs () >= !maxArcs orelse secs () >= !maxSecs
          fun loop n =
              if n >= nodes () then stopped := false
              else if processed n then loop (n + 1)
              else if stop () then stopped := true
              else (expand n; loop (n + 1))
      in keepingState (fn () => loop 0);
         genSecs := secs ()
      end

  fun expandNodes (ns : int list) = (needReady (); keepingState (fn () => List.app expand ns))

  (* ---- strongly connected components ---- *)
  val sccFor = ref (~1, ~1)
  val sccOf : int array ref = ref (Array.array (0, 0))
  val sccCount = ref 0
  val sccArcs = ref 0
  val sccSecs = ref 0

  (* Tarjan's algorithm without recursion; components are numbered in the
   * order they complete, so a component's successors come before it. *)
  fun computeScc () =
      let val start = Time.now ()
          val nn = nodes ()
          val index = Array.array (nn, ~1)
          val low = Array.array (nn, 0)
          val onStack = Array.array (nn, false)
          val comp = Array.array (nn, ~1)
          val stack = ref []
          val counter = ref 0
          val comps = ref 0
          fun visit root =
              let fun enter v = (Array.update (index, v, !counter); Array.update (low, v, !counter);
                                 counter := !counter + 1; stack := v :: !stack; Array.update (onStack, v, true))
                  fun close v =
                      if Array.sub (low, v) = Array.sub (index, v) then
                        let fun pop () = case !stack of
                                           w :: rest => (stack := rest; Array.update (onStack, w, false);
                                                         Array.update (comp, w, !comps); if w = v then () else pop ())
                                         | [] => ()
                        in pop (); comps := !comps + 1 end
                      else ()
                  (* frames: node and the arcs still to look at *)
                  fun run [] = ()
                    | run ((v, []) :: rest) =
                        (close v;
                         case rest of
                           (u, more) :: rest' => (Array.update (low, u, Int.min (Array.sub (low, u), Array.sub (low, v)));
                                                 run ((u, more) :: rest'))
                         | [] => ())
                    | run ((v, a :: more) :: rest) =
                        let val w = G32.sub (arcDst, a)
                        in if Array.sub (index, w) < 0 then (enter w; run ((w, succArcs w) :: (v, more) :: rest))
                           else (if Array.sub (onStack, w) then Array.update (low, v, Int.min (Array.sub (low, v), Array.sub (index, w))) else ();
                                 run ((v, more) :: rest))
                        end
              in enter root; run [(root, succArcs root)] end
          val () = List.app (fn v => if Array.sub (index, v) < 0 then visit v else ()) (List.tabulate (nn, fn i => i))
          val between = ref 0
      in G32.appi (fn (a, s) => if Array.sub (comp, s) <> Array.sub (comp, G32.sub (arcDst, a)) then between := !between + 1 else ()) arcSrc;
         sccOf := comp; sccCount := !comps; sccArcs := !between;
         sccSecs := Int.fromLarge (Time.toSeconds (Time.- (Time.now (), start)));
         sccFor := (nn, arcs ())
      end

  fun sccDone () = !sccFor = (nodes (), arcs ())
  fun needScc () = if sccDone () then () else computeScc ()

  (* Components no arc leaves. *)
  fun terminalSccs () : int list =
      let val () = needScc ()
          val leaves = Array.array (!sccCount, false)
      in G32.appi (fn (a, s) => let val c = Array.sub (!sccOf, s)
                              in if c <> Array.sub (!sccOf, G32.sub (arcDst, a)) then Array.update (leaves, c, true) else () end) arcSrc;
         List.filter (fn c => not (Array.sub (leaves, c))) (List.tabulate (!sccCount, fn c => c))
      end

  (* ---- properties ---- *)

  fun nodeList () = List.tabulate (nodes (), fn n => n)
  fun deadMarkings () = List.filter (fn n => processed n andalso G32.sub (outCount, n) = 0) (nodeList ())

  (* With one terminal component every node of it is a home marking. *)
  fun homeMarkings () =
      case terminalSccs () of
        [c] => List.filter (fn n => Array.sub (!sccOf, n) = c) (nodeList ())
      | _ => []

  fun entryCount () = Vector.length (!N.entries)
  fun occurring () =
      let val seen = Array.array (entryCount (), false)
      in G32.app (fn e => Array.update (seen, e, true)) arcEntry; seen end
  fun deadEntries () = let val s = occurring () in List.filter (fn e => not (Array.sub (s, e))) (List.tabulate (entryCount (), fn e => e)) end

  (* Live: it can occur again from every reachable marking, that is inside
   * every terminal component. *)
  fun liveEntries () =
      let val terminal = terminalSccs ()
          val inside = Array.tabulate (entryCount (), fn _ => [])
          val () = G32.appi (fn (a, s) => let val c = Array.sub (!sccOf, s)
                                        in if c = Array.sub (!sccOf, G32.sub (arcDst, a))
                                           then Array.update (inside, G32.sub (arcEntry, a), c :: Array.sub (inside, G32.sub (arcEntry, a)))
                                           else () end) arcSrc
      in List.filter (fn e => List.all (fn c => List.exists (fn x => x = c) (Array.sub (inside, e))) terminal)
                     (List.tabulate (entryCount (), fn e => e))
      end

  (* Whether some cycle is left when the arcs of entry skip are removed
   * (skip ~1 removes none). *)
  fun hasCycleWithout (skip : int) =
      let val nn = nodes ()
          val state = Array.array (nn, 0)   (* 0 new, 1 on the path, 2 done *)
          fun arcsOf v = List.filter (fn a => G32.sub (arcEntry, a) <> skip) (succArcs v)
          fun run [] = false
            | run ((v, []) :: rest) = (Array.update (state, v, 2); run rest)
            | run ((v, a :: more) :: rest) =
                let val w = G32.sub (arcDst, a)
                in case Array.sub (state, w) of
                     1 => true
                   | 0 => (Array.update (state, w, 1); run ((w, arcsOf w) :: (v, more) :: rest))
                   | _ => run ((v, more) :: rest)
                end
          fun from v = Array.sub (state, v) = 0 andalso (Array.update (state, v, 1); run [(v, arcsOf v)])
      in List.exists from (nodeList ()) end

  (* Impartial: it occurs infinitely often in every infinite occurrence
   * sequence, so no cycle avoids it. *)
  fun impartialEntries () =
      if not (hasCycleWithout ~1) then []
      else List.filter (fn e => not (hasCycleWithout e)) (List.tabulate (entryCount (), fn e => e))

  fun tokenCount (c : N.cell, x : V.v) : int =
      if #isTime c then 0
      else if #timed c then length (V.cast x : (V.v * V.v) list)
      else List.foldl (fn ((_, k), s) => s + k) 0 (V.cast x : (V.v * int) list)

  (* The multiset of a place state as values with counts. *)
  fun counts (c : N.cell, x : V.v) : (V.v * int) list =
      if #timed c then
        List.foldl (fn ((v, _), acc) =>
                       case List.partition (fn (w, _) => V.eq (v, w)) acc of
                         ([(w, k)], rest) => (w, k + 1) :: rest
                       | _ => (v, 1) :: acc) [] (V.cast x : (V.v * V.v) list)
      else V.cast x

  (* Integer and multiset bounds of every place state over all nodes. *)
  fun bounds () =
      let val cells = !N.cells
          val states = List.map (fn n => Vector.fromList (decode (G.sub (keys, n)))) (nodeList ())
          fun ofCell k =
              let val c = Vector.sub (cells, k)
                  val values = map (fn s => valueAt (k, Vector.sub (s, k))) states
                  val sizes = map (fn x => tokenCount (c, x)) values
                  val upper = List.foldl Int.max 0 sizes
                  val lower = List.foldl Int.min (case sizes of [] => 0 | s :: _ => s) sizes
                  val cs = map (fn x => counts (c, x)) values
                  fun countIn (v, l) = case List.find (fn (w, _) => V.eq (v, w)) l of SOME (_, k) => k | NONE => 0
                  val allValues = List.foldl (fn (l, acc) => List.foldl (fn ((v, _), acc) =>
                                                 if List.exists (fn w => V.eq (v, w)) acc then acc else acc ^^ [v]) acc l) [] cs
                  val up = map (fn v => (v, List.foldl (fn (l, m) => Int.max (m, countIn (v, l))) 0 cs)) allValues
                  val low = List.mapPartial (fn v => let val m = List.foldl (fn (l, m) => Int.min (m, countIn (v, l))) (valOf Int.maxInt) cs
                                                     in if m > 0 andalso m < valOf Int.maxInt then SOME (v, m) else NONE end) allValues
              in {cell = c, upper = upper, lower = lower, msUpper = up, msLower = low} end
      in List.tabulate (Vector.length cells, ofCell) end
end
