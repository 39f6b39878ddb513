(* The simulator's state on the ML side: structure TOLQ'Sim with its options,
 * stop criteria and report; the top-level values the generated simulation
 * code uses (model time helpers, token counts, timed token selection, time
 * lists); the initial state; and the automatic run's code generator, whose
 * requests tolq sends at every switch and reset. *)

(* Bindings and the no-variable enabling answer are printed while set. *)
val TOLQ'ValuePrint = ref true

(* The simulation report: lines written by tolq during a run. *)
structure TolqReport =
struct
  val lines : string list ref = ref []   (* newest first *)
  fun add s = lines := s :: !lines
  fun clear () = lines := []
  fun text () = String.concat (rev (!lines))

  (* Asks tolq for a file name and writes the report there; nothing when
   * the user cancels. *)
  fun save () =
      case Tolq.Kernel.whenNonZero 1200 [Tolq.Kernel.Str "Enter Name of Report File", Tolq.Kernel.Str ""]
                                   Tolq.Kernel.str of
        NONE => ()
      | SOME path =>
          let val out = TextIO.openOut path
                        handle IO.Io _ => raise Tolq.Error ("The report cannot be written to " ^ path)
          in (TextIO.output (out, text ()); TextIO.closeOut out)
             handle IO.Io _ => (TextIO.closeOut out handle IO.Io _ => ();
                          raise Tolq.Error ("The report cannot be written to " ^ path))
          end
end

structure TOLQ'Sim =
struct
  open TolqSimState
  fun SetSeed (seed : int) = TolqRandom.setSeed seed
  fun write_report (s : string) = TolqReport.add s
  fun ReportSimulation () = TolqReport.save ()
  fun ClearReport () = TolqReport.clear ()
  (* Ends the evaluation in the error class when the value is refused. *)
  fun RtnErrOnFls (legal : 'a -> bool, v : 'a) =
      if legal v then () else raise Tolq.Error "The value is not a member of its color set."
end

(* ---- model time ---- *)

val TOLQ'starttime = ref 0
structure TOLQ'IntegerTime = struct val TOLQ'starttime = TOLQ'starttime end
structure TOLQ'RealTime = struct val TOLQ'starttime = TOLQ'starttime end

(* The enabling times of the transition instances, one ref each, filled by
 * the enabling tests of timed transitions. *)
val TOLQ'tlist : TIME option ref list ref = ref []
val TOLQ'fasttlist : TIME option ref list ref = ref []

(* The next time at which something becomes enabled: the earliest time
 * later than now in the list. *)
fun TOLQ'minlist (l : TIME option ref list ref) : TIME option =
    List.foldl (fn (r, best) =>
                   case (!r, best) of
                     (SOME t, NONE) => if IntInf.> (t, time ()) then SOME t else NONE
                   | (SOME t, SOME b) => if IntInf.> (t, time ()) andalso IntInf.< (t, b) then SOME t else best
                   | (NONE, _) => best)
               NONE (!l)

fun init_time () =
    (TOLQ'ModelTime := IntInf.fromInt (!TOLQ'starttime);
     TOLQ'CreationTime := !TOLQ'ModelTime;
     TolqSimState.IntTimeInc := 0)

fun init_state () =
    (TolqSimState.CurStep := 0;
     TolqSimState.LocStep := 0;
     List.app (fn r => r := NONE) (!TOLQ'tlist ^^ !TOLQ'fasttlist))

(* ---- stop criteria ---- *)

fun TOLQ'StopCriteria () : bool =
    let open TolqSimState
    in not (!NoLimit) andalso
       ((!AddSteps andalso !LocStep >= !AddStepsVal)
        orelse (!UntilStepNo andalso !CurStep >= !UntilStepNoVal)
        orelse (!AddTime andalso IntInf.>= (!IntTimeInc, !IntAddTimeVal))
        orelse (!UntilTime andalso IntInf.>= (time (), !IntUntilTimeVal))
        orelse (!UntilTimeAdv andalso IntInf.> (!IntTimeInc, 0)))
    end

(* ---- other values of the generated code ---- *)

(* The number texts tolq asks for (step, stop criteria) *)
fun makestring (i : int) = Int.toString i

val TOLQ'VelkorResourceDir = ref ""
val TOLQ'maxint = ref (getOpt (Int.maxInt, 1073741823))
(* The library's version; the ending "OGA" announces the occurrence-graph
 * library. *)
val TOLQ'MLvers = ref "TOLQ ML library [0404NJ] OGA"
structure TOLQ'InternalSimCallBack = struct val TOLQ'InternalStopCallBack = ref (fn () => ()) end

fun TOLQ'NumTok (m : 'a ms) = TolqEdit.outVal (Int.toString (TolqMS.size m))
fun TOLQ''NumTok (m : 'a tms) = TolqEdit.outVal (Int.toString (TolqMS.tsize m))

(* Ends the evaluation in the error class with the message. *)
fun TOLQ'out_use_err (msg : string) : 'a = raise Tolq.Error msg

(* Timed tokens: the earliest token of each value is taken first. *)
structure TolqTimedTokens =
struct
  (* The tokens of need taken from src, earliest first; NONE when src has
   * too few. *)
  fun select (TolqMS.TMS src, need : 'a ms) : ('a * TIME) list option =
      let val sorted = TolqSort.sort (fn ((_, s), (_, t)) => IntInf.> (s, t)) src
          fun take ((v, n), SOME (pool, acc)) =
                let fun go (0, rest, kept, acc) = SOME (List.revAppend (kept, rest), acc)
                      | go (_, [], _, _) = NONE
                      | go (k, (tok as (w, _)) :: rest, kept, acc) =
                          if TolqEq.eq (v, w) then go (k - 1, rest, kept, tok :: acc)
                          else go (k, rest, tok :: kept, acc)
                in go (n, pool, [], acc) end
            | take (_, NONE) = NONE
      in Option.map (rev o #2) (List.foldl take (SOME (sorted, [])) (TolqMS.pairs need)) end
end

(* The timed tokens an input arc moves: those of need taken from the place
 * (dir true) or given back from the arc (dir false). *)
fun TOLQ'selcom (_ : bool) (_ : bool) (src : 'a tms) (need : 'a ms) : 'a tms =
    case TolqTimedTokens.select (src, need) of
      SOME l => TolqMS.TMS l
    | NONE => raise TolqMS.NotIncluded

(* Whether need can be taken from the place; the latest time stamp of the
 * tokens taken raises maxtime. *)
fun TOLQ'tmscomp (need : 'a ms, place : 'a tms, maxtime : TIME ref) : bool =
    case TolqTimedTokens.select (place, need) of
      SOME l => (List.app (fn (_, t) => if IntInf.> (t, !maxtime) then maxtime := t else ()) l; true)
    | NONE => false

fun TOLQ'addts (a : 'a tms, b : 'a tms) : 'a tms = TolqMS.tsum (a, b)
(* Timed output tokens are added when the binding is executed, not when it
 * is reserved. *)
fun TOLQ'CreateEmptyTimeLists (_ : 'a tms) : 'a tms = tempty
fun TOLQ'sametimems (m : 'a ms) (t : TIME) : 'a tms = TolqMS.stamp (m, t)

(* ---- the automatic run ---- *)

(* Runs steps until a stop criterion is met, the run is stopped (SIGUSR1)
 * or nothing is enabled any more; the last ends the evaluation in the
 * error class. Each step fires one binding of one transition instance,
 * the instances tried in random order while the run is fair. When nothing
 * is enabled in a timed run, the clock moves to the next enabling time. *)
structure TolqAutoRun =
struct
  fun shuffle (l : 'a list) : 'a list =
      let fun go ([], acc) = acc
            | go (xs, acc) =
                let val k = TolqRandom.int (0, length xs - 1)
                in go (List.take (xs, k) ^^ List.drop (xs, k + 1), List.nth (xs, k) :: acc) end
      in go (l, []) end

  fun fireOne [] = false
    | fireOne (f :: rest) = f () orelse fireOne rest

  (* The times at which a timed transition that could not occur now has
   * a binding, noted by the firing functions during a run. *)
  val later : TIME list ref = ref []
  fun noteLater (t : TIME) = if IntInf.> (t, time ()) then later := t :: !later else ()

  fun earliest (a : TIME option, b : TIME option) =
      case (a, b) of
        (SOME x, SOME y) => SOME (IntInf.min (x, y))
      | (NONE, _) => b
      | (_, NONE) => a

  fun advanceTime () =
      with_time () andalso
      (case earliest (TOLQ'minlist TOLQ'tlist,
                      List.foldl (fn (t, m) => earliest (SOME t, m)) NONE
                                 (List.filter (fn t => IntInf.> (t, time ())) (!later))) of
         SOME t => (TolqSimState.IntTimeInc := IntInf.+ (!TolqSimState.IntTimeInc, IntInf.- (t, time ()));
                    TOLQ'ModelTime := t; later := []; true)
       | NONE => false)

  (* The update of the charts that take part in the simulation, set by
   * the chart list of the switch; run after every step. *)
  val chartUpdate : (unit -> unit) ref = ref (fn () => ())
  (* The performance library's observation of its data collectors, run
   * after every step of a run. *)
  val perfUpdate : (unit -> unit) ref = ref (fn () => ())

  fun run (entries : (unit -> bool) list) =
      let val saved = !TOLQ'ValuePrint
          fun loop () =
              if Tolq.Stop.requested () then Tolq.Stop.clear ()
              else if TOLQ'StopCriteria () then ()
              else if fireOne (if !TolqSimState.Fair then shuffle entries else entries) then
                (TolqSimState.CurStep := !TolqSimState.CurStep + 1;
                 TolqSimState.LocStep := !TolqSimState.LocStep + 1;
                 !chartUpdate ();
                 !perfUpdate ();
                 loop ())
              else if advanceTime () then loop ()
              else raise Tolq.Error "There are no more enabled transitions."
      in TOLQ'ValuePrint := false;
         later := [];
         (loop (); TOLQ'ValuePrint := saved) handle e => (TOLQ'ValuePrint := saved; raise e)
      end
end

(* The transition sequence tolq defines at every reset holds entries
 * (display name, transition, instance, page, flags: code runs, fast form,
 * a timed output place); an entry of empty names ends it. The step code
 * defines one firing function per entry and the run over them. *)
structure TOLQ'sacgen =
struct
  type entry = string * string * string * string * bool * bool * bool

  fun name s = s <> "" andalso CharVector.all TolqText.isIdChar s
  fun needName s = if name s then s else raise Tolq.Error ("Not an ML name: \"" ^ s ^ "\"")

  (* The transitions whose code the switch defined, by name and form (fast
   * or not): their page and flags (code runs, timed, a timed output place). *)
  val registered : ((string * bool) * (string * bool * bool * bool)) list ref = ref []
  fun isRegistered (t, fast) = List.exists (fn (k, _) => k = (t, fast)) (!registered)

  (* Registers a transition with the automatic run. The answer refers to
   * the transition's binding function, so that a transition whose code is
   * missing fails here and not in the middle of a run. *)
  fun gen_fun ((t, p, code, timed, timedOut) : string * string * bool * bool * bool, fast : bool) : string =
      let val t = needName t
      in registered := ((t, fast), (needName p, code, timed, timedOut))
                       :: List.filter (fn (k, _) => k <> (t, fast)) (!registered);
         "val _ = " ^ (if fast then "TOLQ'FastBF" else "TOLQ'BF") ^ t ^ ";\n"
      end

  (* The charts that take part in the simulation, by ML name: the answer
   * makes the automatic run update them after every step, each through
   * its own update condition. *)
  fun gen_charts (charts : string list) : string =
      "val _ = TolqAutoRun.chartUpdate := (fn () => ("
      ^ String.concat (map (fn n => "TOLQ'CCAF" ^ needName n ^ " false; ") charts) ^ "()));\n"

  (* The firing functions made for the sequence of the last reset, by form;
   * a reset makes new instances, so it drops them. *)
  val made : (bool * string list) list ref = ref []
  fun madeFor fast = Option.map #2 (List.find (fn (f, _) => f = fast) (!made))

  (* The start of the state a reset made: its model time and step. *)
  val initial : {time : TIME, step : int} ref = ref {time = 0, step = 0}
  fun GenSaveStateData () = (made := []; initial := {time = time (), step = step ()})

  (* Defines the firing function of one entry: a binding is reserved in
   * fresh arc states and occurs at once; false when none is enabled. The
   * binding function answers a list, or a time and a list for timed
   * transitions: the first form that compiles is kept. *)
  fun firingFunction (fast : bool) (k : int, (_, t, i, p, _, _, timedOut) : entry) : string =
      let val f = "TOLQ'sac" ^ (if fast then "fast" else "") ^ Int.toString k
          val fire = (if timedOut then "TOLQ'ACAF" ^ t ^ "(TOLQ'ts,TOLQ'b); " else "")
                     ^ "TOLQ'OF" ^ t ^ "(TOLQ'ts,TOLQ'PS" ^ i ^ ",()); true"
          fun form (bf, pattern) =
              "fun " ^ f ^ " () = let val TOLQ'ts = TOLQ'CrTS" ^ p ^ "() in case " ^ bf ^ t ^ "(TOLQ'PS" ^ i
              ^ ",TOLQ'ts,1,TOLQ'EB" ^ t ^ ",false,true,()) of " ^ pattern ^ " => (" ^ fire
              ^ ") | _ => false end;\n"
          (* Without fast code the normal binding function serves. *)
          val functions = (if fast then ["TOLQ'FastBF"] else []) ^^ ["TOLQ'BF"]
          (* A timed transition that has no binding now notes when it
           * will have one, so that the run can advance the model time. *)
          fun timedForm bf =
              "fun " ^ f ^ " () = let val TOLQ'ts = TOLQ'CrTS" ^ p ^ "() in case " ^ bf ^ t ^ "(TOLQ'PS" ^ i
              ^ ",TOLQ'ts,1,TOLQ'EB" ^ t ^ ",false,true,()) of (_, TOLQ'b :: _) => (" ^ fire
              ^ ") | _ => (case " ^ bf ^ t ^ "(TOLQ'PS" ^ i ^ ",TOLQ'CrTS" ^ p ^ "(),1,TOLQ'EB" ^ t
              ^ ",true,false,()) of (SOME TOLQ'et, _ :: _) => (TolqAutoRun.noteLater TOLQ'et; false) | _ => false) end;\n"
          val forms = List.concat (map (fn bf => [form (bf, "TOLQ'b :: _"), timedForm bf, form (bf, "(_, TOLQ'b :: _)")])
                                       functions)
      in ignore (TolqEdit.firstOf forms); f end

  fun entriesOf (seq : entry list) =
      List.filter (fn (_, t, i, p, _, _, _) => name t andalso name i andalso name p) seq

  (* Defines the firing functions of the sequence; the answer names them. *)
  fun gen_funs (seq : entry list, fast : bool) : string list =
      let val entries = entriesOf seq
          val names = ListPair.map (firingFunction fast) (List.tabulate (length entries, fn k => k), entries)
      in made := (fast, names) :: List.filter (fn (f, _) => f <> fast) (!made);
         map (fn n => "val _ = " ^ n ^ ";\n") names
      end

  (* The run over the firing functions: those gen_funs made for this form,
   * else made here. *)
  fun gen_step (seq : entry list, fast : bool) : string list =
      let val names = case madeFor fast of
                        SOME names => names
                      | NONE => (ignore (gen_funs (seq, fast)); getOpt (madeFor fast, []))
      in ["fun " ^ (if fast then "fast_sac_step" else "sac_step") ^ " () = TolqAutoRun.run ["
          ^ String.concatWith ", " names ^ "];\n"]
      end

  (* After the run's code is defined the firing functions it names are
   * bound in it; the list is dropped so that the next generation makes
   * them anew. *)
  fun clean_up () = made := []

  (* Defines TOLQ't<t>_<i> and TOLQ'fastt<t>_<i> for every entry and puts
   * them into the time lists. *)
  fun gen_init_state (seq : entry list) =
      let val pairs = TolqText.dedup (List.mapPartial (fn (_, t, i, _, _, _, _) =>
                                                         if name t andalso name i then SOME (t ^ "_" ^ i) else NONE) seq)
          fun refs prefix = "[" ^ String.concatWith ", " (map (fn p => prefix ^ p) pairs) ^ "]"
          val defs = String.concat (map (fn p => "val TOLQ't" ^ p ^ " : TIME option ref = ref NONE;\n"
                                                 ^ "val TOLQ'fastt" ^ p ^ " : TIME option ref = ref NONE;\n") pairs)
      in TolqEdit.define (defs ^ "val _ = TOLQ'tlist := " ^ refs "TOLQ't" ^ ";\n"
                          ^ "val _ = TOLQ'fasttlist := " ^ refs "TOLQ'fastt" ^ ";\n")
      end
end
