(* The performance library: data collectors on places of the net, observed
 * after every step of an automatic run, their statistics (count, sums,
 * average, variance, standard deviation, extremes, first and last values
 * and times, and a 95% confidence interval of the average by batch means),
 * log files, and the report. The Perf' structures hold the requests of
 * tolq's performance tool; the performance page's code (PerfPage.sml) and
 * the tool's start file (PerfSwitch.sml) come from the library folder.
 *
 * A collector on places counts their tokens: per step, or weighted by the
 * model time when it is timed. On timed places it also records the waiting
 * time of every token that leaves them: the model time at which it left
 * less the token's time stamp. *)
structure TolqPerfStat =
struct
  type t = {count : int ref, sum : real ref, sumSq : real ref, min : real ref, max : real ref,
            first : real ref, last : real ref, firstTime : TIME ref, lastTime : TIME ref,
            area : real ref, areaSq : real ref, timed : bool,
            values : real list ref, points : (TIME * real) list ref}

  fun new timed : t =
      {count = ref 0, sum = ref 0.0, sumSq = ref 0.0, min = ref 0.0, max = ref 0.0, first = ref 0.0,
       last = ref 0.0, firstTime = ref 0, lastTime = ref 0, area = ref 0.0, areaSq = ref 0.0,
       timed = timed, values = ref [], points = ref []}

  fun real (t : TIME) = Real.fromLargeInt t

  fun add (s : t) (t : TIME, v : real) =
      (if !(#count s) = 0 then (#first s := v; #firstTime s := t; #min s := v; #max s := v)
       else (if #timed s then
               let val dt = real (IntInf.- (t, !(#lastTime s)))
               in #area s := !(#area s) + !(#last s) * dt;
                  #areaSq s := !(#areaSq s) + !(#last s) * !(#last s) * dt
               end
             else ();
             if v < !(#min s) then #min s := v else ();
             if v > !(#max s) then #max s := v else ());
       #count s := !(#count s) + 1;
       #sum s := !(#sum s) + v;
       #sumSq s := !(#sumSq s) + v * v;
       #last s := v;
       #lastTime s := t;
       if #timed s then #points s := (t, v) :: !(#points s) else #values s := v :: !(#values s))

  (* The time-weighted area and its interval up to now. *)
  fun closed (s : t) (now : TIME) =
      let val dt = real (IntInf.- (now, !(#lastTime s)))
          val dt = if dt < 0.0 then 0.0 else dt
      in (!(#area s) + !(#last s) * dt, !(#areaSq s) + !(#last s) * !(#last s) * dt,
          real (IntInf.- (now, !(#firstTime s))))
      end

  fun average (s : t) now =
      if !(#count s) = 0 then 0.0
      else if #timed s then
        let val (a, _, i) = closed s now in if i > 0.0 then a / i else !(#last s) end
      else !(#sum s) / Real.fromInt (!(#count s))

  fun ssd (s : t) =
      let val n = Real.fromInt (!(#count s))
      in if n < 1.0 then 0.0 else Real.max (0.0, !(#sumSq s) - !(#sum s) * !(#sum s) / n) end

  fun variance (s : t) now =
      if #timed s then
        let val (_, q, i) = closed s now
            val m = average s now
        in if i > 0.0 then Real.max (0.0, q / i - m * m) else 0.0 end
      else if !(#count s) < 2 then 0.0
      else ssd s / Real.fromInt (!(#count s) - 1)

  (* The means of ten consecutive batches: of the values, or of the model
   * time split into ten equal spans. *)
  val batches = 10
  fun batchMeans (s : t) now : real list =
      if #timed s then
        let val pts = rev (!(#points s))
            val t0 = real (!(#firstTime s))
            val t1 = real now
            val width = (t1 - t0) / Real.fromInt batches
            (* Area of the step function over [a, b). *)
            fun area (a, b) =
                let fun go ([], acc) = acc
                      | go ((t, v) :: rest, acc) =
                          let val from = real t
                              val upto = case rest of (u, _) :: _ => real u | [] => t1
                              val lo = Real.max (a, from)
                              val hi = Real.min (b, upto)
                          in go (rest, if hi > lo then acc + v * (hi - lo) else acc) end
                in go (pts, 0.0) end
        in if width <= 0.0 then []
           else List.tabulate (batches, fn k => let val a = t0 + Real.fromInt k * width
                                                in area (a, a + width) / width end)
        end
      else
        let val vs = Vector.fromList (rev (!(#values s)))
            val size = Vector.length vs div batches
            fun mean k = let fun go (i, acc) = if i = size then acc
                                               else go (i + 1, acc + Vector.sub (vs, k * size + i))
                         in go (0, 0.0) / Real.fromInt size end
        in if size = 0 then [] else List.tabulate (batches, mean) end

  (* The half width of the 95% confidence interval of the average; NONE
   * with too few observations. 2.262 is Student's t for nine degrees of
   * freedom. *)
  fun halfWidth (s : t) now : real option =
      case batchMeans s now of
        [] => NONE
      | ms => let val n = Real.fromInt (length ms)
                  val m = List.foldl op+ 0.0 ms / n
                  val v = List.foldl (fn (x, a) => a + (x - m) * (x - m)) 0.0 ms / (n - 1.0)
              in SOME (2.262 * Math.sqrt (v / n)) end
end

structure TolqPerf =
struct
  structure S = TolqPerfStat
  structure K = Tolq.Kernel
  structure TB = Tolq.Table

  type collector = {name : string, statistics : bool, logFile : bool, timed : bool, instance : int,
                    objects : int list, read : unit -> int * TIME list, stamped : bool,
                    tokens : S.t ref, waiting : S.t ref, stamps : TIME list ref,
                    log : TextIO.outstream option ref}

  val collectors : collector list ref = ref []

  fun fail msg = raise Tolq.Error msg

  (* ---- report options ---- *)
  val timedChoice = ref (Vector.fromList [true, true, false, false, true, false, false, false, false,
                                          false, false, false, false, false])
  val untimedChoice = ref (Vector.fromList [true, true, false, false, true, false, false, false, false,
                                            false, false])
  val layout = ref {decimals = 2, valueWidth = 11, textWidth = 16}

  (* ---- where the report and the logs go: beside the diagram ---- *)
  fun folder () =
      let val path = Tolq.decode (K.call 9040 []) K.str handle _ => ""
          val dir = if path = "" then "" else OS.Path.dir path
      in if dir = "" then OS.FileSys.getDir () else dir end
  fun fileIn name = OS.Path.joinDirFile {dir = folder (), file = name}

  (* ---- the places of a collector ---- *)
  fun objectKind obj =
      case TB.call {row = TB.objectKind, result = TB.INT,
                    args = [TB.In (TB.INT, TB.I obj), TB.Out TB.INT, TB.Out TB.INT, TB.Out TB.INT]} of
        {outputs = [_, TB.I kind, _, TB.I record], ...} => (kind, record)
      | _ => (0, 0)

  fun pageRecord page =
      case TB.call {row = TB.recordOfObject, result = TB.INT, args = [TB.In (TB.INT, TB.I page), TB.Out TB.INT]} of
        {outputs = [_, TB.I record], ...} => record
      | _ => 0

  (* The page instance record of the object's page with the number (the
   * first instance for 0). *)
  fun instanceRecord (obj, number) =
      let val page = K.result 4100 [K.U32 obj]
          val ids = K.pageInstances (pageRecord page)
          fun numberOf id = TB.intCall (TB.instanceNumber, [id])
      in case List.find (fn id => number = 0 orelse numberOf id = number) ids of
           SOME id => id
         | NONE => fail ("The page has no instance " ^ Int.toString number ^ ".")
      end

  (* The ML reference of the place's state in the instance, from tolq's
   * marking text "mkst_ms'CS (!REF);", and whether the place is timed. *)
  fun placeState (place, instance) : string * bool =
      let val text = TB.textCall (TB.placeStateText, [TB.In (TB.INT, TB.I place), TB.In (TB.INT, TB.I instance)])
          val timed = String.isPrefix "mkst_tms'" text
          val (_, rest) = Substring.position "(!" (Substring.full text)
          val body = if Substring.size rest < 2 then "" else Substring.string (Substring.triml 2 rest)
          val body = if String.isSuffix ");" body then String.substring (body, 0, size body - 2) else ""
      in if body = "" then fail "The place has no state in the simulator." else (body, timed) end

  (* Compiled readers hand themselves over through this reference. *)
  val pending : (unit -> int * TIME list) ref = ref (fn () => (0, []))
  fun plain (m : 'a ms) = (TolqMS.size m, [] : TIME list)
  fun stampsOf (TolqMS.TMS l : 'a tms) = (length l, map #2 l)

  fun reader (refText, timed) : unit -> int * TIME list =
      (TolqEdit.define ("val _ = TolqPerf.pending := (fn () => TolqPerf." ^ (if timed then "stampsOf" else "plain")
                        ^ " (!" ^ refText ^ "));");
       !pending)

  fun placesOf (objects, number) =
      map (fn obj =>
              let val obj = if Word.andb (Word.fromInt (K.result 9170 [K.U32 obj]), 0w16) <> 0w0
                            then K.result 4030 [K.U32 obj] else obj
                  val (kind, record) = objectKind obj
              in case kind of
                   2 => placeState (record, instanceRecord (obj, number))
                 | 3 => fail "Data collectors on transitions are not available yet."
                 | _ => fail "Data collectors are only made for places and transitions."
              end) objects

  (* ---- observation ---- *)
  fun sorted l = TolqSort.sort IntInf.> l
  (* The stamps of before that are not in after (both sorted). *)
  fun removed (before, after) =
      case (before, after) of
        ([], _) => []
      | (bs, []) => bs
      | (b :: bs, a :: as') =>
          (case IntInf.compare (b, a) of
             EQUAL => removed (bs, as')
           | LESS => b :: removed (bs, a :: as')
           | GREATER => removed (b :: bs, as'))

  fun writeLog (c : collector) (t : TIME, n : int) =
      case !(#log c) of
        SOME out => TextIO.output (out, IntInf.toString t ^ " " ^ Int.toString n ^ "\n")
      | NONE => ()

  fun observe (c : collector) =
      let val (n, stamps) = #read c ()
          val now = time ()
          val stamps = sorted stamps
      in S.add (!(#tokens c)) (now, Real.fromInt n);
         if #stamped c then
           List.app (fn s => S.add (!(#waiting c)) (now, S.real (IntInf.- (now, s)))) (removed (!(#stamps c), stamps))
         else ();
         #stamps c := stamps;
         writeLog c (now, n)
      end

  fun observeAll () = List.app observe (!collectors)

  fun closeLog (c : collector) =
      (case !(#log c) of SOME out => (TextIO.closeOut out handle IO.Io _ => ()) | NONE => ();
       #log c := NONE)

  (* Starts a collector anew at the current state. *)
  fun init (c : collector) =
      (#tokens c := S.new (#timed c);
       #waiting c := S.new false;
       #stamps c := [];
       closeLog c;
       if #logFile c then
         #log c := SOME (TextIO.openOut (fileIn (#name c ^ ".log")))
                   handle IO.Io _ => fail ("The log file of " ^ #name c ^ " cannot be written.")
       else ();
       let val (n, stamps) = #read c ()
       in #stamps c := sorted stamps; S.add (!(#tokens c)) (time (), Real.fromInt n); writeLog c (time (), n) end)

  fun install () = TolqAutoRun.perfUpdate := observeAll

  fun create {name : string, statistics : bool, logFile : bool, timed : bool, instance : int, objects : int list} =
      let val () = if name = "" then fail "A data collector needs a name." else ()
          val () = if null objects then fail "A data collector needs places." else ()
          val states = placesOf (objects, instance)
          val readers = map reader states
          fun read () = List.foldl (fn (r, (n, s)) => let val (m, t) = r () in (n + m, t ^^ s) end) (0, []) readers
          val c : collector = {name = name, statistics = statistics, logFile = logFile, timed = timed,
                               instance = instance, objects = objects, read = read,
                               stamped = List.exists #2 states, tokens = ref (S.new timed),
                               waiting = ref (S.new false), stamps = ref [], log = ref NONE}
      in List.app closeLog (List.filter (fn d => #name d = name) (!collectors));
         collectors := List.filter (fn d => #name d <> name) (!collectors) ^^ [c];
         init c;
         install ()
      end

  fun deleteAll (cs : collector list ref) = (List.app closeLog (!cs); cs := [])

  (* ---- the report ---- *)
  fun pad (w, s) = if size s >= w then s else s ^ CharVector.tabulate (w - size s, fn _ => #" ")
  fun padLeft (w, s) = if size s >= w then s else CharVector.tabulate (w - size s, fn _ => #" ") ^ s
  fun num r =
      let val {decimals, valueWidth, ...} = !layout
          val t = Real.fmt (StringCvt.FIX (SOME decimals)) r
      in padLeft (valueWidth, String.map (fn #"~" => #"-" | c => c) t) end
  fun whole i = padLeft (#valueWidth (!layout), Int.toString i)
  fun line (label, value) = pad (#textWidth (!layout), label) ^ " " ^ value ^ "\n"

  (* The selected lines of one statistic, in the library's order: Count,
   * Sum, Sum of Squares, Sum of Squares of Deviation, Average, Variance,
   * Standard Deviation, Min, Max, First Value, Last Value, then for timed
   * statistics First Time, Last Time and Interval. *)
  fun statLines (title, s : S.t, now) =
      let val choice = if #timed s then !timedChoice else !untimedChoice
          fun on k = k < Vector.length choice andalso Vector.sub (choice, k)
          val (area, areaSq, interval) = S.closed s now
          val var = S.variance s now
          val entries =
              [(0, fn () => line ("Count", whole (!(#count s)))),
               (1, fn () => line ("Sum", num (if #timed s then area else !(#sum s)))),
               (2, fn () => line ("Sum of Squares", num (if #timed s then areaSq else !(#sumSq s)))),
               (3, fn () => line ("Sum of Squares of Deviation", num (S.ssd s))),
               (4, fn () => line ("Average", num (S.average s now))
                            ^ (case S.halfWidth s now of
                                 SOME h => line ("95% Confidence", num h)
                               | NONE => "")),
               (5, fn () => line ("Variance", num var)),
               (6, fn () => line ("Standard Deviation", num (Math.sqrt var))),
               (7, fn () => line ("Min", num (!(#min s)))),
               (8, fn () => line ("Max", num (!(#max s)))),
               (9, fn () => line ("First Value", num (!(#first s)))),
               (10, fn () => line ("Last Value", num (!(#last s)))),
               (11, fn () => line ("First Time", IntInf.toString (!(#firstTime s)))),
               (12, fn () => line ("Last Time", IntInf.toString now)),
               (13, fn () => line ("Interval", num interval))]
          val timedOnly = fn k => k >= 11
      in title ^ "\n"
         ^ String.concat (map (fn (k, f) => if on k andalso (#timed s orelse not (timedOnly k)) then f () else "")
                              entries)
         ^ "\n"
      end

  fun reportText () =
      let val now = time ()
          fun one (c : collector) =
              (if #statistics c then
                 statLines (#name c ^ (if #timed c then " (tokens, timed)" else " (tokens)"), !(#tokens c), now)
                 ^ (if #stamped c then statLines (#name c ^ " (waiting time)", !(#waiting c), now) else "")
               else "")
      in "Performance Report\n\nModel time " ^ IntInf.toString now ^ ", step " ^ Int.toString (step ()) ^ "\n\n"
         ^ String.concat (map one (!collectors))
      end

  (* The report beside the diagram, written under a temporary name first. *)
  fun saveReport () =
      let val path = fileIn "PerfReport.txt"
          val temp = path ^ ".tmp"
          val () = List.app (fn c => case !(#log c) of SOME out => TextIO.flushOut out | NONE => ()) (!collectors)
          val out = TextIO.openOut temp handle IO.Io _ => fail ("The report cannot be written to " ^ path)
      in (TextIO.output (out, reportText ()); TextIO.closeOut out; OS.FileSys.rename {old = temp, new = path})
         handle e => ((TextIO.closeOut out handle _ => ()); (OS.FileSys.remove temp handle _ => ()); raise e);
         ignore (K.setStatusBarMessage ("Performance report saved in " ^ path)) handle _ => ()
      end

  (* ---- the performance page's box ---- *)
  fun templateLine {name, statistics, logFile, timed, instance, objects} =
      "val _ = Perf'DC.create {name = \"" ^ String.toString name ^ "\", statistics = " ^ Bool.toString statistics
      ^ ", logFile = " ^ Bool.toString logFile ^ ", timed = " ^ Bool.toString timed ^ ", instance = "
      ^ Int.toString instance ^ ", objects = [" ^ String.concatWith ", " (map Int.toString objects) ^ "]};\n"

  (* The selected objects: the group, else the current object. *)
  fun selection () =
      case K.handles 3010 [] of
        [] => (case K.result 3050 [] of 0 => [] | obj => [obj])
      | group => group
end

fun QXStr_SetCurObject (obj : int) = ignore (Tolq.Kernel.result 3070 [Tolq.Kernel.U32 obj])

structure Perf'Env = struct val DataCollectors = TolqPerf.collectors end
structure Perf'DC = struct val create = TolqPerf.create end
structure Perf'DeleteDC = struct val deleteAll = TolqPerf.deleteAll end
structure Perf'InitDC =
struct
  fun initAll () = (List.app TolqPerf.init (!TolqPerf.collectors); TolqPerf.install ())
end
structure Perf'Print = struct val saveReport = TolqPerf.saveReport end
structure Perf'SimInterface =
struct
  fun Perf'InitSimInterface () =
      (TolqPerf.deleteAll TolqPerf.collectors; TolqAutoRun.perfUpdate := (fn () => ()))
end
structure Perf'Report =
struct
  fun chooseTimedValues (l : bool list) =
      if length l <> 14 then raise Tolq.Error "14 truth values expected" else TolqPerf.timedChoice := Vector.fromList l
  fun chooseUntimedValues (l : bool list) =
      if length l <> 11 then raise Tolq.Error "11 truth values expected" else TolqPerf.untimedChoice := Vector.fromList l
  fun setLayout (decimals : int, valueWidth : int, textWidth : int) =
      if decimals < 0 orelse decimals > 20 orelse valueWidth < 1 orelse valueWidth > 200
         orelse textWidth < 1 orelse textWidth > 200
      then raise Tolq.Error "The report layout is out of range."
      else TolqPerf.layout := {decimals = decimals, valueWidth = valueWidth, textWidth = textWidth}
end
