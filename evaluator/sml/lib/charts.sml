(* The chart functions of the model's chart code: each sends a chart callback
 * to tolq, which finds the chart by its name and changes its objects on the
 * page. A request tolq refuses, or values that cannot travel, raise
 * ChartError, which tolq recognises in the reply of a run. *)

exception ChartError of string

structure TolqCharts =
struct
  structure C = Tolq.Chart

  (* Callback codes *)
  val barClear = 10
  val barReset = 70
  val barSetBars = 3040        (* 3050 with reals *)
  val historyAddRows = 1040    (* 1050 with reals *)
  val lineReinit = 2010
  val lineStart = 2070
  val linePoints = 2090        (* 2100 with reals *)

  fun reason r =
      case r of
        ~1 => "there is no such chart, or it is of the other mode"
      | ~2 => "the chart lacks the part the request needs"
      | ~3 => "a line, bar or part number, or a count of values, does not suit the chart"
      | ~4 => "the chart takes the other kind of values (integer or real)"
      | _ => "tolq answered " ^ Int.toString r

  fun refuse (name : string) (why : string) : 'a =
      raise ChartError ("chart \"" ^ name ^ "\": " ^ why)

  (* Numbers travel as 32-bit words; reals as text, finite only. *)
  fun int name (i : int) =
      if i < ~2147483648 orelse i > 2147483647
      then refuse name (Int.toString i ^ " does not fit in 32 bits") else C.Int i
  fun real name (r : real) =
      if Real.isFinite r then C.Real r else refuse name (Real.toString r ^ " is not a number a chart can show")
  fun flag b = C.Int (if b then 1 else 0)

  fun send (code, name, args) =
      let val r = C.result (code, name, args)
                  handle Tolq.Refused m => refuse name ("tolq refused the " ^ m)
                       | Tolq.BadRequest m => refuse name m
      in if r < 0 then refuse name (reason r) else () end

  (* ---- batches that fit one request ---- *)

  fun sizeOf (a : C.arg) = Word8Vector.length (Word8Vector.concat (C.encode a))

  (* Splits the items, each with the bytes it adds, into runs that fit one
   * request of base bytes (an empty list gives one empty run, so that the
   * chart is still asked). One item too large for any request is refused. *)
  fun runs (name, base : int, items : ('a * int) list) : 'a list list =
      let fun close (cur, acc) = if null cur then acc else rev cur :: acc
          fun go ([], cur, _, acc) = rev (close (cur, acc))
            | go ((it as (x, n)) :: rest, cur, used, acc) =
                if base + n > Tolq.maxRequest then refuse name "one entry is too long for a chart request"
                else if used + n > Tolq.maxRequest then go (it :: rest, [], base, close (cur, acc))
                else go (rest, x :: cur, used + n, acc)
      in case go (items, [], base, []) of [] => [[]] | l => l end

  (* code, chart name and the count word of one list *)
  fun baseOf name = 4 + 4 + size name + 4

  fun sendList (code, name, entries : C.arg list) =
      List.app (fn run => send (code, name, [C.List run]))
               (runs (name, baseOf name, map (fn e => (e, sizeOf e)) entries))

  (* History rows travel with the tags of the rows that are used: the k-th
   * used row takes the k-th tag, or a blank when the tags run out. *)
  fun sendRows (code, name, rows : (C.arg * bool) list, tags : string list) =
      let fun pair ([], _) = []
            | pair ((row, used) :: rest, ts) =
                if used then (case ts of
                                t :: more => ((row, SOME t) :: pair (rest, more))
                              | [] => ((row, SOME " ") :: pair (rest, [])))
                else (row, NONE) :: pair (rest, ts)
          fun cost (row, tag) = sizeOf row + (case tag of SOME t => 4 + size t | NONE => 0)
          val items = map (fn it => (it, cost it)) (pair (rows, tags))
      in List.app (fn run => send (code, name, [C.List (map #1 run),
                                                C.List (List.mapPartial (Option.map C.Text o #2) run)]))
                  (runs (name, baseOf name + 4, items))
      end

  fun lineEntries (name, value) =
      map (fn (n, x, y, join, valid) => C.Group [int name n, value x, value y, flag join, flag valid])

  fun barEntries (name, value) =
      map (fn (bar, vs, used) => C.Group [int name bar, C.List (map value vs), flag used])

  fun historyRows (name, value) =
      map (fn (vs, used) => (C.Group [C.List (map value vs), flag used], used))
end

(* ---- the functions the chart code calls ---- *)

(* A simulation state begins: bar charts are reset, line charts start
 * afresh (with their first points at the origin where set so). *)
fun BC_init_chart (name : string) = TolqCharts.send (TolqCharts.barReset, name, [])
fun LC_init_chart (name : string) = TolqCharts.send (TolqCharts.lineStart, name, [])

(* A chart's initialisation: cleared unless it keeps its contents. *)
fun BC_clear_chart (name : string) = TolqCharts.send (TolqCharts.barClear, name, [])
fun LC_clear_chart (name : string) = TolqCharts.send (TolqCharts.lineReinit, name, [])

(* Line charts: one point per tuple (line, x, y, joined to the line's last
 * point, valid). *)
fun LC_upd_chart_int {lc : string, values : (int * int * int * bool * bool) list} =
    TolqCharts.sendList (TolqCharts.linePoints, lc, TolqCharts.lineEntries (lc, TolqCharts.int lc) values)
fun LC_upd_chart_real {lc : string, values : (int * real * real * bool * bool) list} =
    TolqCharts.sendList (TolqCharts.linePoints + 10, lc, TolqCharts.lineEntries (lc, TolqCharts.real lc) values)

(* Standard bar charts: (bar, the values of its parts, used). *)
fun SC_upd_chart_int {sc : string, values : (int * int list * bool) list} =
    TolqCharts.sendList (TolqCharts.barSetBars, sc, TolqCharts.barEntries (sc, TolqCharts.int sc) values)
fun SC_upd_chart_real {sc : string, values : (int * real list * bool) list} =
    TolqCharts.sendList (TolqCharts.barSetBars + 10, sc, TolqCharts.barEntries (sc, TolqCharts.real sc) values)

(* History bar charts: rows (the values of the parts, used) and the tags
 * that name the rows used. *)
fun HC_upd_chart_int {hc : string, values : (int list * bool) list, tags : string list} =
    TolqCharts.sendRows (TolqCharts.historyAddRows, hc, TolqCharts.historyRows (hc, TolqCharts.int hc) values, tags)
fun HC_upd_chart_real {hc : string, values : (real list * bool) list, tags : string list} =
    TolqCharts.sendRows (TolqCharts.historyAddRows + 10, hc, TolqCharts.historyRows (hc, TolqCharts.real hc) values, tags)
